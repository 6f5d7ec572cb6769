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

    // Which parameters AIC, AICc and the weights count: every free parameter (the default), or
    // only those the data inform (FitSummary::informedParameters). The setting parameter_count
    // holds the choice.
    enum class Count
    {
        Free = 0,
        Informed = 1
    };
    static Count countFromSettings();
    static void storeCount(Count count);
    // "free" or "estimable".
    static QString name(Count count);
    static std::optional<Count> parseCount(const QString& text);
};

} // namespace rivulet
