#include "rivulet/reports/PerformanceMeasureCsv.h"

#include "lum/report/CsvText.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/model/CovarianceMap.h"
#include "rivulet/model/MeasureValue.h"
#include "rivulet/model/ModelResult.h"
#include "rivulet/model/ParameterMap.h"
#include "rivulet/model/PerformanceMeasures.h"
#include "rivulet/reports/ModelEstimateItem.h"
#include "rivulet/reports/PerformanceMeasureLayout.h"
#include "rivulet/reports/ReportNumbers.h"

#include <QTextStream>

namespace rivulet {

namespace {

// ",value,s.e." or ",value,NA".
void writePair(QTextStream& out, const MeasureValue& value)
{
    out << ',';
    ReportNumbers::writeNumber(out, value.estimate);
    out << ',';
    ReportNumbers::writeStandardError(out, value);
}

} // namespace

PerformanceMeasureCsv::PerformanceMeasureCsv(const ReleasesControllerI& releases,
                                             const SitesControllerI& sites,
                                             const YearsControllerI& years,
                                             const ModelCatalogue& catalogue,
                                             const ReleaseSummary& summary,
                                             const ModelEstimateItem* modelItem)
    : CsvReport(releases, sites, years, modelItem), catalogue_(catalogue), summary_(summary)
{
}

void PerformanceMeasureCsv::write(QTextStream& out) const
{
    const ModelResult* result = modelResult();
    if (!result || releases().ids().isEmpty())
        return;
    out << "Performance Measures\n";
    writeHeader(out);
    const PerformanceMeasures measures(releases(), sites(), years(), *result->parameters,
                                       *result->covariances);
    const PerformanceMeasureLayout layout(releases(), sites(), years(), modelItem()->key(),
                                          summary_);
    writeCohortSurvival(out, layout, measures);
    writeAgeComposition(out, layout, measures);
    if (measures.residualizationSite() < layout.siteCount() - 2)
        writeDownRiverSurvival(out, layout, measures);
}

void PerformanceMeasureCsv::writeSiteLine(QTextStream& out,
                                          const PerformanceMeasureLayout& layout) const
{
    for (int c = 1; c <= layout.siteCount() - 2; ++c)
        out << (c > 1 ? "," : "") << ',' << lum::csvField(layout.siteNames().value(c));
    out << '\n';
}

void PerformanceMeasureCsv::writeCaptionLine(QTextStream& out, const char* label,
                                             const PerformanceMeasureLayout& layout) const
{
    out << label;
    for (int c = 1; c <= layout.siteCount() - 2; ++c)
        out << ",estimate,s.e.";
    out << '\n';
}

void PerformanceMeasureCsv::writeCohortSurvival(QTextStream& out,
                                                const PerformanceMeasureLayout& layout,
                                                const PerformanceMeasures& measures) const
{
    out << "Cohort survival by site location\n";
    writeSiteLine(out, layout);
    writeCaptionLine(out, "Release", layout);
    for (int k = 0; k < layout.releaseCount(); ++k) {
        out << lum::csvField(layout.releaseLabel(k));
        const int releaseSite = layout.releaseSite(k);
        for (int c = 1; c <= layout.siteCount() - 2; ++c) {
            if (releaseSite < 0 || c <= releaseSite)
                out << ",,";
            else
                writePair(out, measures.survivalToSite(k, c));
        }
        out << '\n';
    }
}

void PerformanceMeasureCsv::writeAgeComposition(QTextStream& out,
                                                const PerformanceMeasureLayout& layout,
                                                const PerformanceMeasures& measures) const
{
    out << '\n';
    out << "Age Composition of migrants by Site\n";
    writeSiteLine(out, layout);
    writeCaptionLine(out, "Age", layout);
    const int releaseSite = layout.releaseSite(0);
    for (int a = 0; a < layout.yearCount(); ++a) {
        out << lum::csvField(layout.ageLabel(a));
        for (int c = 1; c <= layout.siteCount() - 2; ++c) {
            if (releaseSite < 0 || c <= releaseSite)
                out << ",,";
            else
                writePair(out, measures.ageComposition(c, a));
        }
        out << '\n';
    }
}

void PerformanceMeasureCsv::writeDownRiverSurvival(QTextStream& out,
                                                   const PerformanceMeasureLayout& layout,
                                                   const PerformanceMeasures& measures) const
{
    const QStringList& longNames = layout.siteLongNames();
    out << '\n';
    out << "Down-River Survivals Below Residualization\n";
    out << "Release," << lum::csvField(QStringLiteral("Year at ") + longNames.value(1)) << ','
        << lum::csvField(QStringLiteral("Survival to ") + longNames.value(layout.siteCount() - 2))
        << '\n';
    out << ",,estimate,s.e\n";
    for (const PerformanceMeasureLayout::DownRiverRow& row : layout.downRiverRows()) {
        if (row.firstOfRelease)
            out << lum::csvField(layout.releaseLabel(row.release));
        out << ',' << lum::csvField(layout.yearNames().value(row.year));
        writePair(out, measures.downRiverSurvival(row.release, row.year));
        out << '\n';
    }
}

} // namespace rivulet
