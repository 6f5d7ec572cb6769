#include "cli/FitReports.h"

#include "cli/CliOutput.h"
#include "cli/ReportedModel.h"
#include "cli/StudyContext.h"
#include "lum/report/ReportWriter.h"
#include "rivulet/data/RivuletSettings.h"
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

#include <QDir>
#include <QTextStream>

#include <functional>

namespace rivulet::cli {

namespace {

// More decimals than a double carries only print noise.
constexpr int MaxPrecision = 17;

// Reads "--name VALUE" or "--name=VALUE" at arguments[i]; false when it is another argument.
bool readValue(const QStringList& arguments, int& i, const QString& name, QString& value,
               QString& error)
{
    const QString& argument = arguments.at(i);
    if (argument == name) {
        if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty())
            error = QStringLiteral("option %1 needs a value").arg(name);
        else
            value = arguments.at(++i);
        return true;
    }
    if (argument.startsWith(name + QLatin1Char('='))) {
        value = argument.mid(name.size() + 1);
        if (value.isEmpty())
            error = QStringLiteral("option %1 needs a value").arg(name);
        return true;
    }
    return false;
}

std::optional<int> precisionOf(const QString& name, const QString& value, QString& error)
{
    bool ok = false;
    const int precision = value.toInt(&ok);
    if (!ok || precision < 0 || precision > MaxPrecision) {
        error = QStringLiteral("option %1 needs a number of decimals from 0 to %2, not \"%3\"")
                    .arg(name)
                    .arg(MaxPrecision)
                    .arg(value);
        return std::nullopt;
    }
    return precision;
}

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

} // namespace

QString FitReports::usage()
{
    return QStringLiteral("[--report-model NAME] [--precision-est N] [--precision-err N]");
}

QStringList FitReports::fileNames()
{
    return {QStringLiteral("survival.html"),    QStringLiteral("survival.csv"),
            QStringLiteral("capture.html"),     QStringLiteral("capture.csv"),
            QStringLiteral("performance.html"), QStringLiteral("performance.csv"),
            QStringLiteral("releases.html")};
}

bool FitReports::readOption(const QStringList& arguments, int& i, QString& error)
{
    QString value;
    if (readValue(arguments, i, QStringLiteral("--report-model"), value, error)) {
        reportModel_ = value;
        return true;
    }
    for (const auto& [name, target] : {std::pair<QString, std::optional<int>*>{
                                           QStringLiteral("--precision-est"), &estimatePrecision_},
                                       std::pair<QString, std::optional<int>*>{
                                           QStringLiteral("--precision-err"), &errorPrecision_}}) {
        if (readValue(arguments, i, name, value, error)) {
            if (error.isEmpty())
                *target = precisionOf(name, value, error);
            return true;
        }
    }
    return false;
}

bool FitReports::checkModel(const ModelCatalogue& catalogue, CliOutput& out) const
{
    if (reportModel_.isEmpty())
        return true;
    QStringList known;
    for (const auto& item : catalogue.definitionItems()) {
        if (!item->isHeading())
            known << item->name();
    }
    if (known.contains(reportModel_))
        return true;
    out.error(QStringLiteral("unknown model \"%1\" for --report-model; the models of this data "
                             "set are: %2")
                  .arg(reportModel_, known.isEmpty() ? QStringLiteral("(none)")
                                                     : known.join(QStringLiteral(", "))));
    return false;
}

int FitReports::modelIndex(const ModelCatalogue& catalogue, const EstimationResults& results,
                           CliOutput& out) const
{
    if (reportModel_.isEmpty())
        return results.bestIndex();
    for (int i = 0; i < results.count(); ++i) {
        if (ModelCatalogue::modelName(catalogue.dataClass(), results.scheme(i)) == reportModel_)
            return i;
    }
    out.error(QStringLiteral("Model \"%1\" was not estimated; no reports were written.")
                  .arg(reportModel_));
    return -1;
}

bool FitReports::write(const QString& outDir, const StudyContext& study,
                       const EstimationResults& results, CliOutput& out) const
{
    const ModelCatalogue& catalogue = study.catalogue();
    const int index = modelIndex(catalogue, results, out);
    if (index < 0)
        return false;
    const ReportedModel model(catalogue, results.result(index));
    const ModelEstimateItem* item = &model.item();
    const int estimatePrecision =
        estimatePrecision_.value_or(setting(RivuletSettings::PrecisionEst));
    const int errorPrecision = errorPrecision_.value_or(setting(RivuletSettings::PrecisionErr));
    const auto& releases = study.releases();
    const auto& sites = study.sites();
    const auto& years = study.years();

    const auto html = [&](ParameterReport& report) {
        report.setModelItem(item);
        report.setPrecisions(estimatePrecision, errorPrecision);
        report.run();
        return report.html();
    };
    const auto csv = [](const CsvReport& writer) {
        return [&writer](QTextStream& stream) { writer.write(stream); };
    };

    PhiParameterReport survival(releases, sites, years);
    CaptureParameterReport capture(releases, sites, years);
    PerformanceMeasureReport performance(releases, sites, years, catalogue, study.summary());
    ReleaseSummaryReport releaseSummary(releases, sites, years, study.nextDetections());
    const PhiParameterCsv survivalCsv(releases, sites, years, item);
    const CaptureParameterCsv captureCsv(releases, sites, years, item);
    const PerformanceMeasureCsv performanceCsv(releases, sites, years, catalogue, study.summary(),
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

    out.status(QStringLiteral("Reports of model %1:").arg(item->code()));
    const QDir dir(outDir);
    for (const ReportFile& file : files) {
        const QString path = dir.filePath(file.name);
        lum::ReportWriter writer;
        if (!file.write(writer, path)) {
            out.error(writer.reason().isEmpty()
                          ? writer.errorString()
                          : writer.errorString() + QLatin1Char(' ') + writer.reason());
            return false;
        }
        out.status(lum::ReportWriter::createdMessage(path));
    }
    return true;
}

} // namespace rivulet::cli
