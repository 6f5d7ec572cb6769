#include "rivulet/model/CatalogueBuilder.h"

#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/model/ModelDefinitionHeading.h"
#include "rivulet/model/ModelDefinitionLeaf.h"

namespace rivulet {

CatalogueBuilder::CatalogueBuilder(std::vector<std::unique_ptr<ModelDefinitionItem>>& definitions,
                                   std::vector<EquatingScheme>& fitList)
    : m_definitions(definitions), m_fitList(fitList)
{
}

void CatalogueBuilder::heading(int captureCode)
{
    m_definitions.push_back(std::make_unique<ModelDefinitionHeading>(
        QStringLiteral("Capture: ") + ModelCatalogue::schemeText(m_dataClass, captureCode),
        captureCode, 0));
}

void CatalogueBuilder::model(const EquatingScheme& scheme, bool fitted)
{
    m_definitions.push_back(std::make_unique<ModelDefinitionLeaf>(
        ModelCatalogue::modelName(m_dataClass, scheme),
        QStringLiteral("Survival and movement: ") +
            ModelCatalogue::schemeText(m_dataClass, scheme.survivalCode),
        scheme));
    if (fitted) {
        m_fitList.push_back(scheme);
    }
}

void CatalogueBuilder::build(DataClass dataClass, const EstimabilityIndicators& indicators)
{
    m_dataClass = dataClass;
    const bool pooled = indicators.pooled;
    const bool each = indicators.eachRelease;
    const bool second = indicators.secondGroup;
    switch (dataClass) {
    case DataClass::OneSiteOneYear:
        heading(EquatingScheme::AllReleases);
        model({EquatingScheme::AllReleases, EquatingScheme::AllReleases}, pooled);
        break;
    case DataClass::SeveralSitesOneYear:
        heading(EquatingScheme::SameReleaseSite);
        model({EquatingScheme::SameReleaseSite, EquatingScheme::SameReleaseSite}, each);
        heading(EquatingScheme::AllReleases);
        model({EquatingScheme::AllReleases, EquatingScheme::SameReleaseSite}, pooled && each);
        model({EquatingScheme::AllReleases, EquatingScheme::AllReleases}, pooled);
        break;
    case DataClass::OneSiteSeveralYears:
        heading(EquatingScheme::SameReleaseYear);
        model({EquatingScheme::SameReleaseYear, EquatingScheme::SameReleaseYear}, each);
        heading(EquatingScheme::AllReleases);
        model({EquatingScheme::AllReleases, EquatingScheme::SameReleaseYear}, pooled && each);
        model({EquatingScheme::AllReleases, EquatingScheme::AllReleases}, pooled);
        break;
    case DataClass::SeveralSitesSeveralYears:
        heading(EquatingScheme::Unique);
        model({EquatingScheme::Unique, EquatingScheme::Unique}, second);
        heading(EquatingScheme::SameReleaseSite);
        model({EquatingScheme::SameReleaseSite, EquatingScheme::Unique}, second && each);
        model({EquatingScheme::SameReleaseSite, EquatingScheme::SameReleaseSite}, second);
        heading(EquatingScheme::SameReleaseYear);
        model({EquatingScheme::SameReleaseYear, EquatingScheme::Unique}, second && each);
        model({EquatingScheme::SameReleaseYear, EquatingScheme::SameReleaseYear}, second);
        heading(EquatingScheme::AllReleases);
        model({EquatingScheme::AllReleases, EquatingScheme::Unique}, pooled && each);
        model({EquatingScheme::AllReleases, EquatingScheme::SameReleaseSite}, pooled && second);
        model({EquatingScheme::AllReleases, EquatingScheme::SameReleaseYear}, pooled && second);
        model({EquatingScheme::AllReleases, EquatingScheme::AllReleases}, pooled);
        break;
    default:
        break;
    }
}

} // namespace rivulet
