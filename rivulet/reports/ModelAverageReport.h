#pragma once

#include "rivulet/reports/RivuletReport.h"
#include "rivulet/results/ModelSelectionCriterion.h"

namespace rivulet {

class EstimationResults;
class ModelCatalogue;
class NextDetectionsI;
class ReleaseSummary;

// "Model-Averaged Estimates": every parameter and performance measure that all fitted models
// share, averaged by the models' Akaike weights, with its unconditional standard error and
// its 95% interval (ModelAveragedEstimates, the same figures as averaged.csv). Everything is
// borrowed and must outlive the report; the results are read only while it runs.
class ModelAverageReport : public RivuletReport
{
    Q_OBJECT

public:
    ModelAverageReport(const ReleasesControllerI& releases, const SitesControllerI& sites,
                       const YearsControllerI& years, const ModelCatalogue& catalogue,
                       const ReleaseSummary& summary, const NextDetectionsI& counts,
                       const EstimationResults& results, lum::ThreadRunner* runner = nullptr,
                       QObject* parent = nullptr);

    void setPrecisions(int estimatePrecision, int errorPrecision);
    // Which parameters the weights count.
    void setParameterCount(ModelSelectionCriterion::Count count) { m_count = count; }

protected:
    void buildReport() override;

private:
    const ModelCatalogue& m_catalogue;
    const ReleaseSummary& m_summary;
    const NextDetectionsI& m_counts;
    const EstimationResults& m_results;
    ModelSelectionCriterion::Count m_count = ModelSelectionCriterion::Count::Free;
    int m_estimatePrecision = 4;
    int m_errorPrecision = 4;
};

} // namespace rivulet
