#include "cli/FitCommand.h"

#include "cli/CliContext.h"
#include "cli/CliJobRunner.h"
#include "cli/CliOutput.h"
#include "cli/EstimatesCsv.h"
#include "cli/FitReports.h"
#include "cli/ModelComparison.h"
#include "cli/StudyContext.h"
#include "lum/estimation/OptimizerFactory.h"
#include "lum/estimation/OptimizerI.h"
#include "lum/report/ReportWriter.h"
#include "rivulet/data/RivuletSettings.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/model/ModelEstimator.h"
#include "rivulet/model/ParameterStructure.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

namespace rivulet::cli {

namespace {

struct FitArguments
{
    std::optional<QString> optimizer;
    QStringList models;
    QString outDir;
    // The reports of the reported model that --out also writes.
    FitReports reports;
};

// Reads "--name VALUE" or "--name=VALUE" at arguments[i], advancing i past it; false when
// arguments[i] is another option. A missing or empty value is an error.
bool readOption(const QStringList& arguments, int& i, const QString& name, QString& value,
                QString& error)
{
    const QString& argument = arguments.at(i);
    if (argument == name) {
        if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty()) {
            error = QStringLiteral("option %1 needs a value").arg(name);
            return true;
        }
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

std::optional<FitArguments> parseArguments(const QStringList& arguments, CliOutput& out)
{
    FitArguments parsed;
    QString error;
    for (int i = 0; i < arguments.size() && error.isEmpty(); ++i) {
        QString value;
        if (readOption(arguments, i, QStringLiteral("--optimizer"), value, error)) {
            parsed.optimizer = value;
        } else if (readOption(arguments, i, QStringLiteral("--model"), value, error)) {
            parsed.models << value;
        } else if (readOption(arguments, i, QStringLiteral("--out"), value, error)) {
            parsed.outDir = value;
        } else if (parsed.reports.readOption(arguments, i, error)) {
            continue;
        } else {
            error = QStringLiteral("fit does not take \"%1\"").arg(arguments.at(i));
        }
    }
    if (!error.isEmpty()) {
        out.error(error);
        out.error(QStringLiteral(
                      "usage: rivulet-cli fit [--optimizer TEXT] [--model NAME]... [--out DIR] ") +
                  FitReports::usage());
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

bool writeFile(const QString& path, const QString& text, CliOutput& out)
{
    lum::ReportWriter writer;
    if (writer.writeCsv(path, text))
        return true;
    out.error(writer.reason().isEmpty()
                  ? writer.errorString()
                  : writer.errorString() + QLatin1Char(' ') + writer.reason());
    return false;
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
    return true;
}

std::unique_ptr<ModelEstimator> makeJob(const StudyContext& study, EstimationResults& results,
                                        const std::optional<QString>& optimizer,
                                        lum::ThreadRunner& runner)
{
    if (!optimizer) {
        return std::make_unique<ModelEstimator>(study.releases(), study.sites(), study.years(),
                                                study.catalogue(), results, study.nextDetections(),
                                                &runner);
    }
    const double endingCriterion =
        RivuletSettings::instance().value(RivuletSettings::EstimationEndingCriterion).toDouble();
    return std::make_unique<ModelEstimator>(
        study.releases(), study.sites(), study.years(), study.catalogue(), results,
        study.nextDetections(), lum::createOptimizer(*optimizer), endingCriterion, &runner);
}

} // namespace

int FitCommand::run(CliContext& context, const QStringList& arguments)
{
    CliOutput& out = context.out();
    const std::optional<FitArguments> parsed = parseArguments(arguments, out);
    if (!parsed)
        return ExitUsage;
    if (!parsed->outDir.isEmpty() && !makeOutputFolder(parsed->outDir, out))
        return ExitFailure;

    StudyContext study(context);
    if (!study.open())
        return ExitFailure;
    // The estimation settings live in the database, also when the data are simulated.
    if (!context.openDatabase())
        return ExitFailure;
    const ModelCatalogue& catalogue = study.catalogue();
    std::vector<EquatingScheme> schemes = catalogue.fitList();
    if (!parsed->models.isEmpty()) {
        const auto named = namedModels(catalogue, parsed->models, out);
        if (!named)
            return ExitUsage;
        schemes = *named;
    } else if (schemes.empty()) {
        out.error(QStringLiteral("None of the models are estimable."));
        return ExitFailure;
    }
    if (!parsed->reports.checkModel(catalogue, out))
        return ExitUsage;

    EstimationResults results(study.releases(), study.sites(), study.years());
    const ParameterStructure structure(study.releases(), study.sites(), study.years());
    CliJobRunner& jobs = context.jobs();
    const std::unique_ptr<ModelEstimator> job =
        makeJob(study, results, parsed->optimizer, jobs.runner());
    job->setStructure(structure);
    job->setSchemes(schemes);
    out.status(QStringLiteral("Estimating %1 model(s) with %2")
                   .arg(schemes.size())
                   .arg(job->optimizer().description()));
    if (!jobs.run(*job)) {
        out.warning(QStringLiteral("Model estimation canceled."));
        return ExitFailure;
    }
    out.status(QStringLiteral("Model estimation complete."));
    if (results.isEmpty()) {
        out.error(QStringLiteral("No models produced parameter estimates"));
        return ExitFailure;
    }

    const ModelComparison comparison(catalogue, results);
    out.status(QStringLiteral("\nModel Comparison (* lowest AIC)"));
    out.print(comparison.table());
    if (parsed->outDir.isEmpty())
        return ExitSuccess;
    const QDir dir(parsed->outDir);
    const QString comparisonFile = dir.filePath(QStringLiteral("comparison.csv"));
    const QString estimatesFile = dir.filePath(QStringLiteral("estimates.csv"));
    if (!writeFile(comparisonFile, comparison.csv(), out) ||
        !writeFile(estimatesFile, EstimatesCsv::text(catalogue, results), out))
        return ExitFailure;
    out.status(lum::ReportWriter::createdMessage(comparisonFile));
    out.status(lum::ReportWriter::createdMessage(estimatesFile));
    return parsed->reports.write(parsed->outDir, study, results, out) ? ExitSuccess : ExitFailure;
}

} // namespace rivulet::cli
