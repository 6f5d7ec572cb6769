#include "rivulet/model/ModelCatalogue.h"

#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/model/CatalogueBuilder.h"
#include "rivulet/model/ModelApplication.h"
#include "rivulet/summary/ReleaseSummary.h"

namespace rivulet {

ModelCatalogue::ModelCatalogue(const ReleasesControllerI& releases, const SitesControllerI& sites,
                               const YearsControllerI& years, const ReleaseSummary& summary)
    : m_releases(&releases), m_sites(&sites), m_years(&years), m_summary(&summary)
{
}

ModelCatalogue::~ModelCatalogue() = default;

DataClass ModelCatalogue::dataClass() const
{
    return dataClassOf(*m_releases);
}

void ModelCatalogue::rebuild()
{
    m_definitions.clear();
    m_fitList.clear();
    if (m_releases->count() < 1) {
        return;
    }
    EstimabilityIndicators indicators;
    indicators.pooled = m_summary->pooledEstimable();
    indicators.eachRelease = m_summary->eachReleaseEstimable();
    indicators.secondGroup = m_summary->secondGroupEstimable();
    CatalogueBuilder(m_definitions, m_fitList).build(dataClass(), indicators);
}

QString ModelCatalogue::modelName(DataClass dataClass, const EquatingScheme& scheme)
{
    const int capture = scheme.captureCode;
    const int survival = scheme.survivalCode;
    switch (dataClass) {
    case DataClass::OneSiteOneYear:
        return QStringLiteral("M.n.1A");
    case DataClass::SeveralSitesOneYear:
        if (capture == EquatingScheme::SameReleaseSite &&
            survival == EquatingScheme::SameReleaseSite) {
            return QStringLiteral("M.s.1A");
        }
        return survival == EquatingScheme::SameReleaseSite ? QStringLiteral("M.s.2A")
                                                           : QStringLiteral("M.s.2B");
    case DataClass::OneSiteSeveralYears:
        if (capture == EquatingScheme::SameReleaseYear &&
            survival == EquatingScheme::SameReleaseYear) {
            return QStringLiteral("M.y.1A");
        }
        return survival == EquatingScheme::SameReleaseYear ? QStringLiteral("M.y.2A")
                                                           : QStringLiteral("M.y.2B");
    case DataClass::SeveralSitesSeveralYears:
        if (capture == EquatingScheme::Unique && survival == EquatingScheme::Unique) {
            return QStringLiteral("M.ys.1A");
        }
        if (capture == EquatingScheme::SameReleaseSite) {
            return survival == EquatingScheme::Unique ? QStringLiteral("M.ys.2A")
                                                      : QStringLiteral("M.ys.2B");
        }
        if (capture == EquatingScheme::SameReleaseYear) {
            return survival == EquatingScheme::Unique ? QStringLiteral("M.ys.3A")
                                                      : QStringLiteral("M.ys.3B");
        }
        switch (survival) {
        case EquatingScheme::Unique:
            return QStringLiteral("M.ys.4A");
        case EquatingScheme::SameReleaseSite:
            return QStringLiteral("M.ys.4B");
        case EquatingScheme::SameReleaseYear:
            return QStringLiteral("M.ys.4C");
        default:
            return QStringLiteral("M.ys.4D");
        }
    default:
        return QString();
    }
}

QString ModelCatalogue::schemeText(DataClass dataClass, int code)
{
    switch (dataClass) {
    case DataClass::OneSiteOneYear:
        return code == EquatingScheme::AllReleases ? QStringLiteral("Equated across all releases")
                                                   : QString();
    case DataClass::SeveralSitesOneYear:
        if (code == EquatingScheme::AllReleases) {
            return QStringLiteral("Equated across all release sites");
        }
        return code == EquatingScheme::SameReleaseSite ? QStringLiteral("All release sites unique")
                                                       : QString();
    case DataClass::OneSiteSeveralYears:
        if (code == EquatingScheme::AllReleases) {
            return QStringLiteral("Equated across all release years");
        }
        return code == EquatingScheme::SameReleaseYear ? QStringLiteral("All release years unique")
                                                       : QString();
    case DataClass::SeveralSitesSeveralYears:
        switch (code) {
        case EquatingScheme::AllReleases:
            return QStringLiteral("Equated across all release sites and release years");
        case EquatingScheme::SameReleaseSite:
            return QStringLiteral("Equated across all release years, release sites unique");
        case EquatingScheme::SameReleaseYear:
            return QStringLiteral("Equated across all release sites, release years unique");
        case EquatingScheme::Unique:
            return QStringLiteral("All release sites and release years unique");
        default:
            return QString();
        }
    default:
        return QString();
    }
}

void ModelCatalogue::applyModel(int captureCode, int survivalCode,
                                ParameterStructure& structure) const
{
    ModelApplication::apply(*m_summary, {captureCode, survivalCode}, structure);
}

} // namespace rivulet
