#include "rivulet/results/ReportSet.h"

#include "lum/report/ReportWriter.h"
#include "lum/thread/ThreadRunnable.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/reports/CaptureParameterCsv.h"
#include "rivulet/reports/CaptureParameterReport.h"
#include "rivulet/reports/ModelEstimateItem.h"
#include "rivulet/reports/PerformanceMeasureCsv.h"
#include "rivulet/reports/PerformanceMeasureReport.h"
#include "rivulet/reports/PhiParameterCsv.h"
#include "rivulet/reports/PhiParameterReport.h"
#include "rivulet/reports/ReleaseSummaryReport.h"
#include "rivulet/results/ReportedModel.h"
#include "rivulet/settings/RivuletSettings.h"

#include <QDir>
#include <QTextStream>

#include <functional>

namespace rivulet {

namespace {

int setting(int key)
{
    return RivuletSettings::instance().value(key).toInt();
}

// One report file and how to write it.
struct ReportFile
{
    QString name;
    std::function<bool(lum::ReportWriter& writer, const QString& path)> write;
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
    : releases_(releases), sites_(sites), years_(years), catalogue_(catalogue), summary_(summary),
      counts_(counts)
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
            if (ModelCatalogue::modelName(catalogue_.dataClass(), results.scheme(i)) ==
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
    const ReportedModel model(catalogue_, results.result(index));
    const ModelEstimateItem* item = &model.item();
    const int estimatePrecision =
        options.estimatePrecision.value_or(setting(RivuletSettings::PrecisionEst));
    const int errorPrecision =
        options.errorPrecision.value_or(setting(RivuletSettings::PrecisionErr));

    const auto html = [&](ParameterReport& report) {
        report.setModelItem(item);
        report.setPrecisions(estimatePrecision, errorPrecision);
        report.run();
        return report.html();
    };
    const auto csv = [](const CsvReport& writer) {
        return [&writer](QTextStream& stream) { writer.write(stream); };
    };

    PhiParameterReport survival(releases_, sites_, years_);
    CaptureParameterReport capture(releases_, sites_, years_);
    PerformanceMeasureReport performance(releases_, sites_, years_, catalogue_, summary_);
    ReleaseSummaryReport releaseSummary(releases_, sites_, years_, counts_);
    const PhiParameterCsv survivalCsv(releases_, sites_, years_, item);
    const CaptureParameterCsv captureCsv(releases_, sites_, years_, item);
    const PerformanceMeasureCsv performanceCsv(releases_, sites_, years_, catalogue_, summary_,
                                               item);
    const std::vector<ReportFile> files = {
        {QStringLiteral("survival.html"),
         [&](lum::ReportWriter& w, const QString& p) { return w.writeHtml(p, html(survival)); }},
        {QStringLiteral("survival.csv"),
         [&](lum::ReportWriter& w, const QString& p) {
             return w.writeStream(p, csv(survivalCsv));
         }},
        {QStringLiteral("capture.html"),
         [&](lum::ReportWriter& w, const QString& p) { return w.writeHtml(p, html(capture)); }},
        {QStringLiteral("capture.csv"),
         [&](lum::ReportWriter& w, const QString& p) { return w.writeStream(p, csv(captureCsv)); }},
        {QStringLiteral("performance.html"),
         [&](lum::ReportWriter& w, const QString& p) { return w.writeHtml(p, html(performance)); }},
        {QStringLiteral("performance.csv"),
         [&](lum::ReportWriter& w, const QString& p) {
             return w.writeStream(p, csv(performanceCsv));
         }},
        {QStringLiteral("releases.html"),
         [&](lum::ReportWriter& w, const QString& p) {
             releaseSummary.run();
             return w.writeHtml(p, releaseSummary.html());
         }},
    };

    job.status(QStringLiteral("Reports of model %1:").arg(item->code()));
    job.setNumSteps(static_cast<int>(files.size()));
    const QDir dir(outDir);
    int done = 0;
    for (const ReportFile& file : files) {
        if (job.cancelRequested())
            return false;
        const QString path = dir.filePath(file.name);
        lum::ReportWriter writer;
        if (!file.write(writer, path)) {
            job.fail(lum::JobError::File,
                     writer.reason().isEmpty()
                         ? writer.errorString()
                         : writer.errorString() + QLatin1Char(' ') + writer.reason());
            return false;
        }
        job.status(lum::ReportWriter::createdMessage(path));
        job.setStep(++done);
    }
    return true;
}

} // namespace rivulet
