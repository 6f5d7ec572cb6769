#pragma once

#include "rivulet/reports/ParameterReport.h"

namespace rivulet {

class ModelCatalogue;
class PerformanceMeasureLayout;
class PerformanceMeasures;
class ReleaseSummary;

// "Performance Measures": the overall cohort survival, the survival of every release to
// every site below it, the age composition of the first release's migrants by site and,
// when fish can no longer hold over above the last detection site, the down-river
// survivals below the residualization site. The catalogue and the release summary are
// borrowed.
class PerformanceMeasureReport : public ParameterReport
{
    Q_OBJECT

public:
    PerformanceMeasureReport(const ReleasesControllerI& releases, const SitesControllerI& sites,
                             const YearsControllerI& years, const ModelCatalogue& catalogue,
                             const ReleaseSummary& summary,
                             int estimatePrecision = DefaultPrecision,
                             int errorPrecision = DefaultPrecision, QObject* parent = nullptr,
                             lum::ThreadRunner* runner = nullptr);
    ~PerformanceMeasureReport() override;

    const ModelCatalogue& catalogue() const { return catalogue_; }

protected:
    void buildReport() override;

private:
    void writeOverallSurvival(QTextCursor& cursor, const PerformanceMeasureLayout& layout,
                              const PerformanceMeasures& measures) const;
    void writeCohortSurvival(QTextCursor& cursor, const PerformanceMeasureLayout& layout,
                             const PerformanceMeasures& measures) const;
    void writeAgeComposition(QTextCursor& cursor, const PerformanceMeasureLayout& layout,
                             const PerformanceMeasures& measures) const;
    void writeDownRiverSurvival(QTextCursor& cursor, const PerformanceMeasureLayout& layout,
                                const PerformanceMeasures& measures) const;
    // A table of `rows` rows and one column per site before the final one: the caption
    // `label` at (1, 0), "Site" over the merged site columns, the site names in row 1.
    QTextTable* insertSiteTable(QTextCursor& cursor, int rows, const QString& label,
                                const PerformanceMeasureLayout& layout) const;

    const ModelCatalogue& catalogue_;
    const ReleaseSummary& summary_;
};

} // namespace rivulet
