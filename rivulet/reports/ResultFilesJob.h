#pragma once

#include "lum/thread/ThreadRunnable.h"
#include "rivulet/reports/ReportSet.h"
#include "rivulet/results/ModelSelectionCriterion.h"

#include <QString>

namespace rivulet {

class EstimationResults;

// Writes the results of an estimation run into a folder: the model comparison
// (comparison.csv), every parameter of every model (estimates.csv), every performance
// measure of every model (measures.csv), on request the model-averaged estimates
// (averaged.csv), and the report set of the reported model (ReportSet; by default the best
// model of the comparison). Each file is announced with the report writer's "created" line;
// the first file that cannot be written fails the job (JobError::File).
class ResultFilesJob : public lum::ThreadRunnable
{
    Q_OBJECT

public:
    struct Options
    {
        ReportSet::Options reports;
        // Also write averaged.csv.
        bool average = false;
        // Which model the comparison marks best (and the reports show by default).
        ModelSelectionCriterion::Kind criterion = ModelSelectionCriterion::Aic;
        // Which parameters AIC, AICc and the weights count.
        ModelSelectionCriterion::Count count = ModelSelectionCriterion::Count::Free;
    };

    // What `reports` and `results` refer to is borrowed for the run.
    ResultFilesJob(QString outDir, ReportSet reports, const EstimationResults& results,
                   Options options, lum::ThreadRunner* runner = nullptr, QObject* parent = nullptr);

    void run() override;

private:
    bool writeText(const QString& name, const QString& text);

    QString m_outDir;
    const ReportSet m_reports;
    const EstimationResults& m_results;
    Options m_options;
};

} // namespace rivulet
