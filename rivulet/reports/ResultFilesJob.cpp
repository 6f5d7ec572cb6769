#include "rivulet/reports/ResultFilesJob.h"

#include "lum/report/ReportWriter.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/results/EstimatesCsv.h"
#include "rivulet/results/MeasuresCsv.h"
#include "rivulet/results/ModelAveragedEstimates.h"
#include "rivulet/results/ModelComparison.h"
#include "rivulet/results/ReleasedFish.h"

#include <QDir>

#include <utility>

namespace rivulet {

ResultFilesJob::ResultFilesJob(QString outDir, ReportSet reports, const EstimationResults& results,
                               Options options, lum::ThreadRunner* runner, QObject* parent)
    : lum::ThreadRunnable(runner, parent), outDir_(std::move(outDir)), reports_(std::move(reports)),
      results_(results), options_(std::move(options))
{
}

void ResultFilesJob::run()
{
    clearError();
    const ModelCatalogue& catalogue = reports_.catalogue();
    const ModelComparison comparison(catalogue, results_, ReleasedFish::count(reports_.counts()),
                                     options_.criterion, options_.count);
    if (!writeText(QStringLiteral("comparison.csv"), comparison.csv()) ||
        !writeText(QStringLiteral("estimates.csv"), EstimatesCsv::text(catalogue, results_)) ||
        !writeText(QStringLiteral("measures.csv"),
                   MeasuresCsv::text(catalogue, results_, reports_.summary())))
        return;
    if (options_.average &&
        !writeText(QStringLiteral("averaged.csv"),
                   ModelAveragedEstimates(results_, comparison, reports_.summary()).csv()))
        return;
    ReportSet::Options reportOptions = options_.reports;
    if (reportOptions.reportModel.isEmpty() && comparison.bestIndex() >= 0)
        reportOptions.reportModel =
            comparison.rows()[static_cast<std::size_t>(comparison.bestIndex())].name;
    reports_.write(outDir_, results_, reportOptions, *this);
}

bool ResultFilesJob::writeText(const QString& name, const QString& text)
{
    const QString path = QDir(outDir_).filePath(name);
    if (const lum::Expected<void> written = lum::ReportWriter().writeCsv(path, text); !written) {
        fail(written.error());
        return false;
    }
    if (!options_.reports.staged)
        status(lum::ReportWriter::createdMessage(path));
    return true;
}

} // namespace rivulet
