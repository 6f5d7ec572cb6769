#include "cli/FitCommand.h"

#include "cli/ArgumentParser.h"
#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "cli/TerminalTracker.h"
#include "lum/estimation/OptimizerFactory.h"
#include "lum/report/ReportWriter.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/model/ModelEstimator.h"
#include "rivulet/reports/ReportSet.h"
#include "rivulet/reports/ResultFilesJob.h"
#include "rivulet/results/ModelAveragedEstimates.h"
#include "rivulet/results/ModelComparison.h"
#include "rivulet/results/ModelSelectionCriterion.h"
#include "rivulet/settings/RivuletSettings.h"
#include "rivulet/study/Study.h"
#include "rivulet/study/StudyActions.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

namespace rivulet::cli {

namespace {

const QString usageLine =
    QStringLiteral("usage: rivulet-cli fit [--optimizer TEXT] [--model NAME]... [--out DIR] "
                   "[--report-model NAME] [--precision-est N] [--precision-err N] [--average] "
                   "[--best-by AIC|AICc] [--count-by free|estimable] [--profile] [--chat X]");

struct FitArguments
{
    FitJob::Options fit;
    QStringList models;
    QString outDir;
    ResultFilesJob::Options files;
    // --precision-est and --precision-err; the settings otherwise.
    std::optional<int> estimatePrecision;
    std::optional<int> errorPrecision;
};

std::optional<int> precisionOf(const ArgumentParser& parser, const QString& name, QString& error)
{
    if (!parser.isSet(name))
        return std::nullopt;
    const QString value = parser.value(name);
    bool ok = false;
    const int precision = value.toInt(&ok);
    if (!ok || precision < 0 || precision > ReportSet::MaxPrecision) {
        error = QStringLiteral("option --%1 needs a number of decimals from 0 to %2, not \"%3\"")
                    .arg(name)
                    .arg(ReportSet::MaxPrecision)
                    .arg(value);
        return std::nullopt;
    }
    return precision;
}

std::optional<FitArguments> parseArguments(const QStringList& arguments, CliOutput& out)
{
    ArgumentParser parser(QStringLiteral("fit"));
    parser.addOption(QStringLiteral("optimizer"), QStringLiteral("TEXT"), ArgumentParser::LastWins);
    parser.addOption(QStringLiteral("model"), QStringLiteral("NAME"), ArgumentParser::Repeated);
    parser.addOption(QStringLiteral("out"), QStringLiteral("DIR"), ArgumentParser::LastWins);
    parser.addOption(QStringLiteral("report-model"), QStringLiteral("NAME"),
                     ArgumentParser::LastWins);
    parser.addOption(QStringLiteral("precision-est"), QStringLiteral("N"),
                     ArgumentParser::LastWins);
    parser.addOption(QStringLiteral("precision-err"), QStringLiteral("N"),
                     ArgumentParser::LastWins);
    parser.addOption(QStringLiteral("best-by"), QStringLiteral("CRITERION"),
                     ArgumentParser::LastWins);
    parser.addOption(QStringLiteral("count-by"), QStringLiteral("COUNT"), ArgumentParser::LastWins);
    parser.addOption(QStringLiteral("chat"), QStringLiteral("X"), ArgumentParser::LastWins);
    parser.addFlag({QStringLiteral("average")});
    parser.addFlag({QStringLiteral("profile")});
    FitArguments parsed;
    parsed.files.criterion = ModelSelectionCriterion::fromSettings();
    parsed.files.count = ModelSelectionCriterion::countFromSettings();
    QString error;
    if (!parser.parse(arguments)) {
        error = parser.error();
    } else if (!parser.positionalArguments().isEmpty()) {
        error =
            QStringLiteral("fit does not take \"%1\"").arg(parser.positionalArguments().first());
    } else {
        if (parser.isSet(QStringLiteral("optimizer"))) {
            // Refused here rather than fitted with another optimizer than the one asked for.
            const auto optimizer = lum::parseOptimizer(parser.value(QStringLiteral("optimizer")));
            if (optimizer)
                parsed.fit.optimizer = (*optimizer)->settingsString();
            else
                error = optimizer.error().text();
        }
        parsed.models = parser.values(QStringLiteral("model"));
        parsed.outDir = parser.value(QStringLiteral("out"));
        parsed.files.reports.reportModel = parser.value(QStringLiteral("report-model"));
        parsed.estimatePrecision = precisionOf(parser, QStringLiteral("precision-est"), error);
        if (error.isEmpty()) {
            parsed.errorPrecision = precisionOf(parser, QStringLiteral("precision-err"), error);
        }
        parsed.files.average = parser.isSet(QStringLiteral("average"));
        parsed.fit.profileAll = parser.isSet(QStringLiteral("profile"));
        if (error.isEmpty() && parser.isSet(QStringLiteral("best-by"))) {
            const QString text = parser.value(QStringLiteral("best-by"));
            if (const auto criterion = ModelSelectionCriterion::parse(text))
                parsed.files.criterion = *criterion;
            else
                error = QStringLiteral("option --best-by needs AIC or AICc, not \"%1\"").arg(text);
        }
        if (error.isEmpty() && parser.isSet(QStringLiteral("chat"))) {
            const QString text = parser.value(QStringLiteral("chat"));
            bool ok = false;
            const double chat = text.toDouble(&ok);
            if (ok && std::isfinite(chat) && chat >= 0.0)
                parsed.fit.chat = chat;
            else
                error = QStringLiteral("option --chat needs a number of 0 or more (below 1 counts "
                                       "as 1), not \"%1\"")
                            .arg(text);
        }
        if (error.isEmpty() && parser.isSet(QStringLiteral("count-by"))) {
            const QString text = parser.value(QStringLiteral("count-by"));
            if (const auto count = ModelSelectionCriterion::parseCount(text))
                parsed.files.count = *count;
            else
                error = QStringLiteral("option --count-by needs free or estimable, not \"%1\"")
                            .arg(text);
        }
    }
    if (!error.isEmpty()) {
        out.error(error);
        out.error(usageLine);
        return std::nullopt;
    }
    return parsed;
}

// The named models in catalogue order, each once; an unknown name is reported.
std::optional<std::vector<EquatingScheme>> namedModels(const ModelCatalogue& catalogue,
                                                       const QStringList& names, CliOutput& out)
{
    QStringList known;
    std::vector<EquatingScheme> schemes;
    for (const auto& item : catalogue.definitionItems()) {
        if (item->isHeading())
            continue;
        known << item->name();
        if (names.contains(item->name()))
            schemes.push_back(item->scheme());
    }
    bool ok = true;
    for (const QString& name : names) {
        if (!known.contains(name)) {
            out.error(QStringLiteral("unknown model \"%1\"; the models of this data set are: %2")
                          .arg(name, known.isEmpty() ? QStringLiteral("(none)")
                                                     : known.join(QStringLiteral(", "))));
            ok = false;
        }
    }
    if (!ok)
        return std::nullopt;
    return schemes;
}

// Makes the output folder before any work is done, so a bad folder fails at once.
bool makeOutputFolder(const QString& path, CliOutput& out)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isDir()) {
        out.error(QStringLiteral("Can't use \"%1\" as output folder: it is a file.").arg(path));
        return false;
    }
    if (!QDir().mkpath(path)) {
        out.error(QStringLiteral("Can't create the output folder \"%1\".").arg(path));
        return false;
    }
    // A folder that exists may still refuse new files; find out before a long fit, not after.
    QTemporaryFile probe(QDir(path).filePath(QStringLiteral(".rivulet-probe-XXXXXX")));
    if (!probe.open()) {
        out.error(QStringLiteral("Can't write into the output folder \"%1\": %2")
                      .arg(path, probe.errorString()));
        return false;
    }
    return true;
}

// Moves every file written into `staging` to the same place under `outDir`, replacing the
// files there. Nothing is moved when one of them cannot be replaced (a folder, a pipe), so the
// folder is then as it was; a rename on one file system needs no room, so once the checks pass
// only a system failure can stop the moves part-way, and that is reported file by file.
bool moveResults(const QString& staging, const QString& outDir, CliOutput& out)
{
    QStringList names;
    QDirIterator files(staging, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext())
        names.append(QDir(staging).relativeFilePath(files.next()));
    names.sort();
    const QDir target(outDir);
    for (const QString& name : names) {
        const QFileInfo existing(target.filePath(name));
        if (existing.exists() && !existing.isFile()) {
            out.error(QStringLiteral("Can't replace \"%1\": it is not a regular file. No result "
                                     "file was written; the folder \"%2\" is as it was.")
                          .arg(existing.filePath(), outDir));
            return false;
        }
        if (!QDir().mkpath(existing.absolutePath())) {
            out.error(QStringLiteral("Can't create the folder \"%1\". No result file was written.")
                          .arg(existing.absolutePath()));
            return false;
        }
    }
    QStringList moved;
    for (const QString& name : names) {
        const QByteArray from = QFile::encodeName(QDir(staging).filePath(name));
        const QByteArray to = QFile::encodeName(target.filePath(name));
        if (std::rename(from.constData(), to.constData()) != 0) {
            out.error(QStringLiteral("Can't move \"%1\" into place: %2. Replaced before the "
                                     "failure: %3")
                          .arg(target.filePath(name), QString::fromLocal8Bit(std::strerror(errno)),
                               moved.isEmpty() ? QStringLiteral("none")
                                               : moved.join(QStringLiteral(", "))));
            return false;
        }
        moved.append(name);
        out.status(lum::ReportWriter::createdMessage(target.filePath(name)));
    }
    return true;
}

} // namespace

int FitCommand::run(CliContext& context, const QStringList& arguments)
{
    CliOutput& out = context.out();
    std::optional<FitArguments> parsed = parseArguments(arguments, out);
    if (!parsed)
        return ExitUsage;
    if (!parsed->outDir.isEmpty() && !makeOutputFolder(parsed->outDir, out))
        return ExitFailure;

    Study* study = context.updatedStudy();
    if (!study)
        return ExitFailure;
    // The estimation settings live in the database, also when the data are simulated.
    if (!context.openDatabase())
        return ExitFailure;
    const ModelCatalogue& catalogue = study->catalogue();
    if (!parsed->models.isEmpty()) {
        const auto named = namedModels(catalogue, parsed->models, out);
        if (!named)
            return ExitUsage;
        parsed->fit.schemes = *named;
    } else if (catalogue.fitList().empty()) {
        out.error(QStringLiteral("None of the models are estimable."));
        return ExitFailure;
    }
    const QString unknownReportModel =
        ReportSet::unknownModelError(catalogue, parsed->files.reports.reportModel);
    if (!unknownReportModel.isEmpty()) {
        out.error(unknownReportModel);
        return ExitUsage;
    }

    TerminalTracker& tracker = context.tracker();
    const auto fit = context.actions().fit(parsed->fit);
    out.status(QStringLiteral("Estimating %1 model(s) with %2")
                   .arg(fit->schemes().size())
                   .arg(fit->estimator().options().optimizerDescription()));
    switch (tracker.run(*fit)) {
    case TerminalTracker::Complete:
        break;
    case TerminalTracker::Canceled:
        out.warning(QStringLiteral("Model estimation canceled."));
        return ExitFailure;
    case TerminalTracker::Failed:
        return ExitFailure;
    }
    out.status(QStringLiteral("Model estimation complete."));
    const EstimationResults& results = study->results();
    if (results.isEmpty()) {
        out.error(QStringLiteral("No models produced parameter estimates"));
        return ExitFailure;
    }

    const ModelSelectionCriterion::Kind criterion = parsed->files.criterion;
    const ModelComparison comparison = context.actions().comparison(criterion, parsed->files.count);
    // With c-hat the quasi-likelihood criterion marks the best model.
    out.status(QStringLiteral("\nModel Comparison (* lowest %1)")
                   .arg(comparison.quasiLikelihood() ? QStringLiteral("QAICc")
                                                     : ModelSelectionCriterion::name(criterion)));
    out.print(comparison.table());
    if (parsed->files.average) {
        const ModelAveragedEstimates averaged =
            context.actions().averagedEstimates(parsed->files.count);
        if (averaged.modelCount() == 0) {
            out.error(QStringLiteral("No model has an AICc (too few fish for its number of "
                                     "parameters); nothing can be averaged."));
            return ExitFailure;
        }
        out.status(QStringLiteral("%1 over %2 model(s) by Akaike weight (%3)")
                       .arg(ModelAveragedEstimates::title())
                       .arg(averaged.modelCount())
                       .arg(study->results().varianceInflation() != 1.0 ? QStringLiteral("QAICc")
                                                                        : QStringLiteral("AICc")));
        if (parsed->outDir.isEmpty())
            out.print(averaged.csv());
    }
    if (parsed->outDir.isEmpty())
        return ExitSuccess;
    const RivuletSettings& settings = RivuletSettings::instance();
    parsed->files.reports.estimatePrecision =
        parsed->estimatePrecision.value_or(settings.estimatePrecision());
    parsed->files.reports.errorPrecision =
        parsed->errorPrecision.value_or(settings.errorPrecision());
    // Written aside first, so that a failure (a full disk) leaves the folder as it was instead
    // of new files beside the earlier study's.
    QTemporaryDir staging(QDir(parsed->outDir).filePath(QStringLiteral(".rivulet-out-XXXXXX")));
    if (!staging.isValid()) {
        out.error(QStringLiteral("Can't write into the output folder \"%1\": %2")
                      .arg(parsed->outDir, staging.errorString()));
        return ExitFailure;
    }
    parsed->files.reports.staged = true;
    const auto files = context.actions().writeResults(staging.path(), parsed->files);
    if (tracker.run(*files) != TerminalTracker::Complete) {
        out.error(QStringLiteral("No result file was written; the folder \"%1\" is as it was.")
                      .arg(parsed->outDir));
        return ExitFailure;
    }
    return moveResults(staging.path(), parsed->outDir, out) ? ExitSuccess : ExitFailure;
}

} // namespace rivulet::cli
