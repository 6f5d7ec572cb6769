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
    : lum::ThreadRunnable(runner, parent), m_outDir(std::move(outDir)),
      m_reports(std::move(reports)), m_results(results), m_options(std::move(options))
{
}

void ResultFilesJob::run()
{
    clearError();
    const ModelCatalogue& catalogue = m_reports.catalogue();
    const ModelComparison comparison(catalogue, m_results, ReleasedFish::count(m_reports.counts()),
                                     m_options.criterion, m_options.count);
    if (!writeText(QStringLiteral("comparison.csv"), comparison.csv()) ||
        !writeText(QStringLiteral("estimates.csv"), EstimatesCsv::text(catalogue, m_results)) ||
        !writeText(QStringLiteral("measures.csv"),
                   MeasuresCsv::text(catalogue, m_results, m_reports.summary())))
        return;
    if (m_options.average &&
        !writeText(QStringLiteral("averaged.csv"),
                   ModelAveragedEstimates(m_results, comparison, m_reports.summary()).csv()))
        return;
    ReportSet::Options reportOptions = m_options.reports;
    if (reportOptions.reportModel.isEmpty() && comparison.bestIndex() >= 0)
        reportOptions.reportModel =
            comparison.rows()[static_cast<std::size_t>(comparison.bestIndex())].name;
    m_reports.write(m_outDir, m_results, reportOptions, *this);
}

bool ResultFilesJob::writeText(const QString& name, const QString& text)
{
    const QString path = QDir(m_outDir).filePath(name);
    if (const lum::Expected<void> written = lum::ReportWriter().writeCsv(path, text); !written) {
        fail(written.error());
        return false;
    }
    if (!m_options.reports.staged)
        status(lum::ReportWriter::createdMessage(path));
    return true;
}

} // namespace rivulet
