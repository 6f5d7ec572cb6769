#include "rivulet/results/ModelSelectionCriterion.h"

#include "rivulet/settings/RivuletSettings.h"

namespace rivulet {

ModelSelectionCriterion::Kind ModelSelectionCriterion::fromSettings()
{
    return RivuletSettings::instance().value(RivuletSettings::BestModelCriterion).toInt() == Aicc
               ? Aicc
               : Aic;
}

void ModelSelectionCriterion::store(Kind kind)
{
    RivuletSettings::instance().setValue(RivuletSettings::BestModelCriterion,
                                         static_cast<int>(kind));
}

QString ModelSelectionCriterion::name(Kind kind)
{
    return kind == Aicc ? QStringLiteral("AICc") : QStringLiteral("AIC");
}

std::optional<ModelSelectionCriterion::Kind> ModelSelectionCriterion::parse(const QString& text)
{
    for (Kind kind : {Aic, Aicc}) {
        if (text.compare(name(kind), Qt::CaseInsensitive) == 0)
            return kind;
    }
    return std::nullopt;
}

} // namespace rivulet
