#include "rivulet/reports/ReportSet.h"

#include "lum/report/ReportWriter.h"
#include "lum/thread/ThreadRunnable.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/reports/ModelReport.h"
#include "rivulet/reports/ReleaseSummaryReport.h"
#include "rivulet/results/ModelDescription.h"

#include <QDir>

#include <functional>

namespace rivulet {

namespace {

// One report file and how to write it.
struct ReportFile
{
    QString name;
    std::function<lum::Expected<void>(const lum::ReportWriter& writer, const QString& path)> write;
};

QString knownModels(const ModelCatalogue& catalogue)
{
    QStringList known;
    for (const auto& item : catalogue.definitionItems()) {
        if (!item->isHeading())
            known << item->name();
    }
    return known.isEmpty() ? QStringLiteral("(none)") : known.join(QStringLiteral(", "));
}

} // namespace

ReportSet::ReportSet(const ReleasesControllerI& releases, const SitesControllerI& sites,
                     const YearsControllerI& years, const ModelCatalogue& catalogue,
                     const ReleaseSummary& summary, const NextDetectionsI& counts)
    : m_releases(releases), m_sites(sites), m_years(years), m_catalogue(catalogue),
      m_summary(summary), m_counts(counts)
{
}

QStringList ReportSet::fileNames()
{
    return {QStringLiteral("survival.html"),    QStringLiteral("survival.csv"),
            QStringLiteral("capture.html"),     QStringLiteral("capture.csv"),
            QStringLiteral("performance.html"), QStringLiteral("performance.csv"),
            QStringLiteral("releases.html")};
}

QString ReportSet::unknownModelError(const ModelCatalogue& catalogue, const QString& name)
{
    if (name.isEmpty())
        return QString();
    for (const auto& item : catalogue.definitionItems()) {
        if (!item->isHeading() && item->name() == name)
            return QString();
    }
    return QStringLiteral("unknown model \"%1\" for --report-model; the models of this data "
                          "set are: %2")
        .arg(name, knownModels(catalogue));
}

bool ReportSet::write(const QString& outDir, const EstimationResults& results,
                      const Options& options, lum::ThreadRunnable& job) const
{
    int index = results.bestIndex();
    if (!options.reportModel.isEmpty()) {
        index = -1;
        for (int i = 0; i < results.count() && index < 0; ++i) {
            if (ModelCatalogue::modelName(m_catalogue.dataClass(), results.scheme(i)) ==
                options.reportModel)
                index = i;
        }
    }
    if (index < 0) {
        job.fail(lum::JobError::NoData,
                 QStringLiteral("Model \"%1\" was not estimated; no reports were written.")
                     .arg(options.reportModel));
        return false;
    }
    const ModelDescription model = ModelDescription::of(m_catalogue, results.scheme(index));
    const ModelResult* result = &results.result(index);

    // Each report is built once and written in both formats.
    std::vector<std::unique_ptr<ModelReport>> reports;
    for (const ModelDocuments::Kind kind :
         {ModelDocuments::Kind::Survival, ModelDocuments::Kind::Capture,
          ModelDocuments::Kind::Performance}) {
        auto report = std::make_unique<ModelReport>(kind, m_releases, m_sites, m_years, m_summary);
        report->setModel(model, result);
        report->setPrecisions(options.estimatePrecision, options.errorPrecision);
        reports.push_back(std::move(report));
    }
    ReleaseSummaryReport releaseSummary(m_releases, m_sites, m_years, m_counts);
    for (const auto& report : reports)
        report->run();
    releaseSummary.run();
    const auto html = [](const lum::QtReport& report) {
        return [&report](const lum::ReportWriter& w, const QString& p) {
            return w.writeHtml(p, report.html());
        };
    };
    const auto csv = [](const lum::QtReport& report) {
        return [&report](const lum::ReportWriter& w, const QString& p) {
            return w.writeCsv(p, report.csvText());
        };
    };
    const std::vector<ReportFile> files = {
        {QStringLiteral("survival.html"), html(*reports[0])},
        {QStringLiteral("survival.csv"), csv(*reports[0])},
        {QStringLiteral("capture.html"), html(*reports[1])},
        {QStringLiteral("capture.csv"), csv(*reports[1])},
        {QStringLiteral("performance.html"), html(*reports[2])},
        {QStringLiteral("performance.csv"), csv(*reports[2])},
        {QStringLiteral("releases.html"), html(releaseSummary)},
    };

    job.status(QStringLiteral("Reports of model %1:").arg(model.code));
    job.setNumSteps(static_cast<int>(files.size()));
    const QDir dir(outDir);
    int done = 0;
    for (const ReportFile& file : files) {
        if (job.cancelRequested())
            return false;
        const QString path = dir.filePath(file.name);
        if (const lum::Expected<void> written = file.write(lum::ReportWriter(), path); !written) {
            job.fail(written.error());
            return false;
        }
        if (!options.staged)
            job.status(lum::ReportWriter::createdMessage(path));
        job.setStep(++done);
    }
    return true;
}

} // namespace rivulet
