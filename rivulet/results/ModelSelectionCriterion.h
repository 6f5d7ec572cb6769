#pragma once

#include <QString>

#include <optional>

namespace rivulet {

// By which criterion a comparison marks its best model: the lowest AIC (the default) or the
// lowest AICc. The setting best_model_criterion holds the choice.
class ModelSelectionCriterion
{
public:
    enum Kind
    {
        Aic = 0,
        Aicc = 1
    };

    static Kind fromSettings();
    static void store(Kind kind);
    // "AIC" or "AICc".
    static QString name(Kind kind);
    // "AIC" or "AICc" in any case; nothing for other text.
    static std::optional<Kind> parse(const QString& text);
};

} // namespace rivulet
