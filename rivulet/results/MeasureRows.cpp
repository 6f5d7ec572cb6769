#include "rivulet/results/MeasureRows.h"

#include "rivulet/model/CovarianceMap.h"
#include "rivulet/model/MeasureValue.h"
#include "rivulet/model/ModelResult.h"
#include "rivulet/model/ParameterMap.h"
#include "rivulet/model/PerformanceMeasures.h"
#include "rivulet/reports/PerformanceMeasureLayout.h"

namespace rivulet {

namespace {

QuantityRow measureRow(const char* name, const QString& group, const QString& site,
                       const QString& year, const MeasureValue& value)
{
    QuantityRow row;
    row.kind = QStringLiteral("measure");
    row.name = QString::fromLatin1(name);
    row.group = group;
    row.site = site;
    row.year1 = year;
    row.estimate = value.estimate;
    if (value.hasStandardError())
        row.standardError = value.standardError();
    return row;
}

} // namespace

MeasureRows::MeasureRows(const ReleasesControllerI& releases, const SitesControllerI& sites,
                         const YearsControllerI& years, const ReleaseSummary& summary,
                         const ModelResult& result)
{
    const PerformanceMeasures measures(releases, sites, years, *result.parameters,
                                       *result.covariances);
    const PerformanceMeasureLayout layout(releases, sites, years, result.scheme(), summary);
    const int lastSite = layout.siteCount() - 2;
    const QStringList& siteNames = layout.siteNames();
    for (int k = 0; k < layout.releaseCount(); ++k) {
        const int releaseSite = layout.releaseSite(k);
        if (releaseSite < 0)
            continue;
        for (int c = releaseSite + 1; c <= lastSite; ++c)
            rows_.push_back(measureRow("cohort_survival", layout.releaseLabel(k),
                                       siteNames.value(c), QString(),
                                       measures.survivalToSite(k, c)));
    }
    const int firstSite = layout.releaseSite(0);
    if (firstSite >= 0) {
        for (int a = 0; a < layout.yearCount(); ++a) {
            for (int c = firstSite + 1; c <= lastSite; ++c)
                rows_.push_back(measureRow("age_composition", layout.ageLabel(a),
                                           siteNames.value(c), layout.yearNames().value(a),
                                           measures.ageComposition(c, a)));
        }
    }
    if (measures.residualizationSite() < lastSite) {
        for (const PerformanceMeasureLayout::DownRiverRow& row : layout.downRiverRows())
            rows_.push_back(measureRow("down_river_survival", layout.releaseLabel(row.release),
                                       siteNames.value(lastSite),
                                       layout.yearNames().value(row.year),
                                       measures.downRiverSurvival(row.release, row.year)));
    }
}

} // namespace rivulet
