#pragma once

#include "rivulet/reports/CsvReport.h"

namespace rivulet {

class ModelCatalogue;
class PerformanceMeasureLayout;
class PerformanceMeasures;
class ReleaseSummary;

// "Performance Measures" as CSV: the cohort survival by site, the age composition and, when
// the model has a residualization site short of the last detection site, the down-river
// survivals. The catalogue and the release summary are borrowed.
class PerformanceMeasureCsv : public CsvReport
{
public:
    PerformanceMeasureCsv(const ReleasesControllerI& releases, const SitesControllerI& sites,
                          const YearsControllerI& years, const ModelCatalogue& catalogue,
                          const ReleaseSummary& summary, const ModelEstimateItem* modelItem);

    void write(QTextStream& out) const override;

    const ModelCatalogue& catalogue() const { return catalogue_; }

private:
    void writeSiteLine(QTextStream& out, const PerformanceMeasureLayout& layout) const;
    void writeCaptionLine(QTextStream& out, const char* label,
                          const PerformanceMeasureLayout& layout) const;
    void writeCohortSurvival(QTextStream& out, const PerformanceMeasureLayout& layout,
                             const PerformanceMeasures& measures) const;
    void writeAgeComposition(QTextStream& out, const PerformanceMeasureLayout& layout,
                             const PerformanceMeasures& measures) const;
    void writeDownRiverSurvival(QTextStream& out, const PerformanceMeasureLayout& layout,
                                const PerformanceMeasures& measures) const;

    const ModelCatalogue& catalogue_;
    const ReleaseSummary& summary_;
};

} // namespace rivulet
