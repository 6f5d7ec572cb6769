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

ModelSelectionCriterion::Count ModelSelectionCriterion::countFromSettings()
{
    return RivuletSettings::instance().value(RivuletSettings::ParameterCount).toInt() == 1
               ? Count::Informed
               : Count::Free;
}

void ModelSelectionCriterion::storeCount(Count count)
{
    RivuletSettings::instance().setValue(RivuletSettings::ParameterCount, static_cast<int>(count));
}

QString ModelSelectionCriterion::name(Count count)
{
    return count == Count::Informed ? QStringLiteral("estimable") : QStringLiteral("free");
}

std::optional<ModelSelectionCriterion::Count>
ModelSelectionCriterion::parseCount(const QString& text)
{
    for (const Count count : {Count::Free, Count::Informed}) {
        if (text.compare(name(count), Qt::CaseInsensitive) == 0)
            return count;
    }
    return std::nullopt;
}

} // namespace rivulet
