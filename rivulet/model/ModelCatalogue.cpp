#include "rivulet/model/ModelCatalogue.h"

#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/model/CatalogueBuilder.h"
#include "rivulet/model/ModelApplication.h"
#include "rivulet/summary/ReleaseSummary.h"

namespace rivulet {

ModelCatalogue::ModelCatalogue(const ReleasesControllerI& releases, const SitesControllerI& sites,
                               const YearsControllerI& years, const ReleaseSummary& summary)
    : releases_(&releases), sites_(&sites), years_(&years), summary_(&summary)
{
}

ModelCatalogue::~ModelCatalogue() = default;

int ModelCatalogue::dataClass() const
{
    const auto ids = releases_->ids();
    bool severalSites = false;
    bool severalYears = false;
    if (!ids.isEmpty()) {
        const int firstSite = releases_->releaseSiteId(ids.first());
        const int firstYear = releases_->releaseYearId(ids.first());
        for (const int id : ids) {
            severalSites = severalSites || releases_->releaseSiteId(id) != firstSite;
            severalYears = severalYears || releases_->releaseYearId(id) != firstYear;
        }
    }
    if (severalSites) {
        return severalYears ? SeveralSitesSeveralYears : SeveralSitesOneYear;
    }
    return severalYears ? OneSiteSeveralYears : OneSiteOneYear;
}

void ModelCatalogue::rebuild()
{
    definitions_.clear();
    fitList_.clear();
    if (releases_->count() < 1) {
        return;
    }
    EstimabilityIndicators indicators;
    indicators.pooled = summary_->pooledEstimable();
    indicators.eachRelease = summary_->eachReleaseEstimable();
    indicators.secondGroup = summary_->secondGroupEstimable();
    CatalogueBuilder(definitions_, fitList_).build(dataClass(), indicators);
}

QString ModelCatalogue::modelName(int dataClass, const EquatingScheme& scheme)
{
    const int capture = scheme.captureCode;
    const int survival = scheme.survivalCode;
    switch (dataClass) {
    case OneSiteOneYear:
        return QStringLiteral("M.n.1A");
    case SeveralSitesOneYear:
        if (capture == 2 && survival == 2) {
            return QStringLiteral("M.s.1A");
        }
        return survival == 2 ? QStringLiteral("M.s.2A") : QStringLiteral("M.s.2B");
    case OneSiteSeveralYears:
        if (capture == 3 && survival == 3) {
            return QStringLiteral("M.y.1A");
        }
        return survival == 3 ? QStringLiteral("M.y.2A") : QStringLiteral("M.y.2B");
    case SeveralSitesSeveralYears:
        if (capture == 4 && survival == 4) {
            return QStringLiteral("M.ys.1A");
        }
        if (capture == 2) {
            return survival == 4 ? QStringLiteral("M.ys.2A") : QStringLiteral("M.ys.2B");
        }
        if (capture == 3) {
            return survival == 4 ? QStringLiteral("M.ys.3A") : QStringLiteral("M.ys.3B");
        }
        switch (survival) {
        case 4:
            return QStringLiteral("M.ys.4A");
        case 2:
            return QStringLiteral("M.ys.4B");
        case 3:
            return QStringLiteral("M.ys.4C");
        default:
            return QStringLiteral("M.ys.4D");
        }
    default:
        return QString();
    }
}

QString ModelCatalogue::schemeText(int dataClass, int code)
{
    switch (dataClass) {
    case OneSiteOneYear:
        return code == 1 ? QStringLiteral("Equated across all releases") : QString();
    case SeveralSitesOneYear:
        if (code == 1) {
            return QStringLiteral("Equated across all release sites");
        }
        return code == 2 ? QStringLiteral("All release sites unique") : QString();
    case OneSiteSeveralYears:
        if (code == 1) {
            return QStringLiteral("Equated across all release years");
        }
        return code == 3 ? QStringLiteral("All release years unique") : QString();
    case SeveralSitesSeveralYears:
        switch (code) {
        case 1:
            return QStringLiteral("Equated across all release sites and release years");
        case 2:
            return QStringLiteral("Equated across all release years, release sites unique");
        case 3:
            return QStringLiteral("Equated across all release sites, release years unique");
        case 4:
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
    ModelApplication::apply(*summary_, {captureCode, survivalCode}, structure);
}

} // namespace rivulet
