#include "rivulet/results/ResultFilesJob.h"

#include "lum/report/ReportWriter.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/results/EstimatesCsv.h"
#include "rivulet/results/ModelComparison.h"

#include <QDir>

#include <utility>

namespace rivulet {

ResultFilesJob::ResultFilesJob(QString outDir, ReportSet reports, const EstimationResults& results,
                               ReportSet::Options options, lum::ThreadRunner* runner,
                               QObject* parent)
    : lum::ThreadRunnable(runner, parent), outDir_(std::move(outDir)), reports_(std::move(reports)),
      results_(results), options_(std::move(options))
{
}

void ResultFilesJob::run()
{
    clearError();
    const ModelCatalogue& catalogue = reports_.catalogue();
    if (!writeText(QStringLiteral("comparison.csv"), ModelComparison(catalogue, results_).csv()) ||
        !writeText(QStringLiteral("estimates.csv"), EstimatesCsv::text(catalogue, results_)))
        return;
    reports_.write(outDir_, results_, options_, *this);
}

bool ResultFilesJob::writeText(const QString& name, const QString& text)
{
    const QString path = QDir(outDir_).filePath(name);
    lum::ReportWriter writer;
    if (!writer.writeCsv(path, text)) {
        fail(lum::JobError::File, writer.reason().isEmpty()
                                      ? writer.errorString()
                                      : writer.errorString() + QLatin1Char(' ') + writer.reason());
        return false;
    }
    status(lum::ReportWriter::createdMessage(path));
    return true;
}

} // namespace rivulet
