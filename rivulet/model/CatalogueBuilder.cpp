#include "rivulet/model/CatalogueBuilder.h"

#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/model/ModelDefinitionItemAction.h"
#include "rivulet/model/ModelDefinitionItemHeading.h"

namespace rivulet {

CatalogueBuilder::CatalogueBuilder(std::vector<std::unique_ptr<ModelDefinitionItem>>& definitions,
                                   std::vector<EquatingScheme>& fitList)
    : definitions_(definitions), fitList_(fitList)
{
}

void CatalogueBuilder::heading(int captureCode)
{
    definitions_.push_back(std::make_unique<ModelDefinitionItemHeading>(
        QStringLiteral("Capture: ") + ModelCatalogue::schemeText(dataClass_, captureCode),
        captureCode, 0));
}

void CatalogueBuilder::model(const EquatingScheme& scheme, bool fitted)
{
    definitions_.push_back(std::make_unique<ModelDefinitionItemAction>(
        ModelCatalogue::modelName(dataClass_, scheme),
        QStringLiteral("Survival and movement: ") +
            ModelCatalogue::schemeText(dataClass_, scheme.survivalCode),
        scheme));
    if (fitted) {
        fitList_.push_back(scheme);
    }
}

void CatalogueBuilder::build(int dataClass, const EstimabilityIndicators& indicators)
{
    dataClass_ = dataClass;
    const bool pooled = indicators.pooled;
    const bool each = indicators.eachRelease;
    const bool second = indicators.secondGroup;
    switch (dataClass) {
    case ModelCatalogue::OneSiteOneYear:
        heading(1);
        model({1, 1}, pooled);
        break;
    case ModelCatalogue::SeveralSitesOneYear:
        heading(2);
        model({2, 2}, each);
        heading(1);
        model({1, 2}, pooled && each);
        model({1, 1}, pooled);
        break;
    case ModelCatalogue::OneSiteSeveralYears:
        heading(3);
        model({3, 3}, each);
        heading(1);
        model({1, 3}, pooled && each);
        model({1, 1}, pooled);
        break;
    case ModelCatalogue::SeveralSitesSeveralYears:
        heading(4);
        model({4, 4}, second);
        heading(2);
        model({2, 4}, second && each);
        model({2, 2}, second);
        heading(3);
        model({3, 4}, second && each);
        model({3, 3}, second);
        heading(1);
        model({1, 4}, pooled && each);
        model({1, 2}, pooled && second);
        model({1, 3}, pooled && second);
        model({1, 1}, pooled);
        break;
    default:
        break;
    }
}

} // namespace rivulet
