#include "cli/DesignCommand.h"

#include "cli/ArgumentParser.h"
#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "cli/ModelChoice.h"
#include "cli/TerminalTracker.h"
#include "lum/core/FileReplacer.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/study/DesignJob.h"
#include "rivulet/study/Study.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace rivulet::cli {

namespace {

const QString UsageLine =
    QStringLiteral("usage: rivulet-cli design [--model NAME] --fish N,N,... [--replicates R] "
                   "[--seed S] [--target QUANTITY:CV] [--out DIR]");

int designUsage(CliOutput& out, const QString& text)
{
    out.error(text);
    out.error(UsageLine);
    return ExitUsage;
}

QString figure(double value)
{
    return std::isfinite(value) ? QString::number(value, 'f', 4) : QStringLiteral("NA");
}

// The survival of every release to the final site, fish number by fish number.
QString finalSurvivalText(const design::DesignRun::Result& result)
{
    QStringList lines;
    lines << QStringLiteral("%1  %2  %3  %4  %5  %6  %7  %8")
                     .arg(QStringLiteral("fish"), 6)
                     .arg(QStringLiteral("quantity"), -34)
                     .arg(QStringLiteral("truth"), 7)
                     .arg(QStringLiteral("mean"), 7)
                     .arg(QStringLiteral("sd"), 7)
                     .arg(QStringLiteral("mean se"), 7)
                     .arg(QStringLiteral("exp. se"), 7)
                     .arg(QStringLiteral("cv"), 7) +
                 QStringLiteral("  coverage");
    for (const design::DesignRow& row : result.rows) {
        if (!row.finalSurvival)
            continue;
        lines << QStringLiteral("%1  %2  %3  %4  %5  %6  %7  %8  %9")
                     .arg(row.fish, 6)
                     .arg(row.quantity, -34)
                     .arg(figure(row.truth), 7)
                     .arg(figure(row.mean), 7)
                     .arg(figure(row.sd), 7)
                     .arg(figure(row.meanSe), 7)
                     .arg(figure(row.expectedSe), 7)
                     .arg(figure(row.cv), 7)
                     .arg(figure(row.coverage), 8);
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString answerText(const design::DesignAnswer& answer, const design::DesignTarget& target)
{
    const QString goal = QStringLiteral("CV %1 on %2").arg(target.cv).arg(target.quantity);
    if (!answer.found)
        return QStringLiteral("Target %1: no answer, %2.\n").arg(goal, answer.reason);
    return QStringLiteral("Target %1: %2 fish per release (%3 needs the most)%4.\n")
        .arg(goal)
        .arg(answer.fish)
        .arg(answer.quantity)
        .arg(answer.extrapolated
                 ? QStringLiteral("; beyond the numbers simulated, from CV falling as "
                                  "1/sqrt(fish)")
                 : QString());
}

} // namespace

int DesignCommand::run(CliContext& context, const QStringList& arguments)
{
    CliOutput& out = context.out();
    ArgumentParser parser(QStringLiteral("design"));
    parser.addOption(QStringLiteral("model"), QStringLiteral("NAME"));
    parser.addOption(QStringLiteral("fish"), QStringLiteral("N,N,..."));
    parser.addOption(QStringLiteral("replicates"), QStringLiteral("R"));
    parser.addOption(QStringLiteral("seed"), QStringLiteral("S"));
    parser.addOption(QStringLiteral("target"), QStringLiteral("QUANTITY:CV"));
    parser.addOption(QStringLiteral("out"), QStringLiteral("DIR"));
    if (!parser.parse(arguments))
        return designUsage(out, parser.error());
    if (!parser.positionalArguments().isEmpty())
        return designUsage(out, QStringLiteral("design does not take \"%1\"")
                                    .arg(parser.positionalArguments().first()));
    if (!parser.isSet(QStringLiteral("fish")))
        return designUsage(out, QStringLiteral("design needs --fish N,N,..."));
    DesignJob::Options options;
    const auto fish = design::parseFishList(parser.value(QStringLiteral("fish")));
    if (!fish)
        return designUsage(out, QStringLiteral("option --fish: ") + fish.error().text());
    options.fish = *fish;
    if (parser.isSet(QStringLiteral("replicates"))) {
        bool ok = false;
        options.replicates = parser.value(QStringLiteral("replicates")).toInt(&ok);
        if (!ok || options.replicates < 2)
            return designUsage(out, QStringLiteral("option --replicates needs a whole number of at "
                                                   "least 2, not \"%1\"")
                                        .arg(parser.value(QStringLiteral("replicates"))));
    }
    if (parser.isSet(QStringLiteral("seed"))) {
        bool ok = false;
        options.seed = parser.value(QStringLiteral("seed")).toULongLong(&ok);
        if (!ok)
            return designUsage(out, QStringLiteral("option --seed needs a whole number, not \"%1\"")
                                        .arg(parser.value(QStringLiteral("seed"))));
    }
    std::optional<design::DesignTarget> target;
    if (parser.isSet(QStringLiteral("target"))) {
        const auto parsed = design::DesignTarget::parse(parser.value(QStringLiteral("target")));
        if (!parsed)
            return designUsage(out, QStringLiteral("option --target: ") + parsed.error().text());
        target = *parsed;
    }
    const QString outDir = parser.value(QStringLiteral("out"));
    if (!outDir.isEmpty() && QFileInfo(outDir).exists() && !QFileInfo(outDir).isDir()) {
        out.error(QStringLiteral("Can't use \"%1\" as output folder: it is a file.").arg(outDir));
        return ExitFailure;
    }

    Study* study = context.updatedStudy();
    if (!study || !context.openDatabase())
        return ExitFailure;
    const ChosenModel chosen =
        fitChosenModel(context, *study, parser.value(QStringLiteral("model")));
    if (chosen.model < 0)
        return chosen.exitCode;
    const int model = chosen.model;
    const EstimationResults& results = study->results();
    const ModelCatalogue& catalogue = study->catalogue();
    const QString name = ModelCatalogue::modelName(catalogue.dataClass(), results.scheme(model));
    out.status(QStringLiteral("Study design from %1: %2 replicates of each number of fish per "
                              "release (seed %3)")
                   .arg(name)
                   .arg(options.replicates)
                   .arg(options.seed));
    DesignJob job(*study, model, options, &context.tracker().runner());
    switch (context.tracker().run(job)) {
    case TerminalTracker::Complete:
        break;
    case TerminalTracker::Canceled:
        out.warning(QStringLiteral("Study design canceled."));
        return ExitFailure;
    case TerminalTracker::Failed:
        return ExitFailure;
    }
    const design::DesignRun::Result& result = job.result();
    QString text = finalSurvivalText(result);
    const double work = result.simulateSeconds + result.fitSeconds;
    text +=
        QStringLiteral("Time: %1 s wall, %2 s of replicate work over the threads, %3% "
                       "simulating and %4% fitting; expected information %5 s\n")
            .arg(QString::number(result.wallSeconds, 'f', 2))
            .arg(QString::number(work, 'f', 2))
            .arg(QString::number(work > 0.0 ? 100.0 * result.simulateSeconds / work : 0.0, 'f', 1))
            .arg(QString::number(work > 0.0 ? 100.0 * result.fitSeconds / work : 0.0, 'f', 1))
            .arg(QString::number(result.expectedSeconds, 'f', 2));
    if (target)
        text += answerText(design::answerTarget(result.rows, *target), *target);
    out.print(text);
    if (outDir.isEmpty())
        return ExitSuccess;
    if (!QDir().mkpath(outDir)) {
        out.error(QStringLiteral("Can't create the output folder \"%1\".").arg(outDir));
        return ExitFailure;
    }
    const QString path = QDir(outDir).filePath(QStringLiteral("design.csv"));
    if (const lum::Expected<void> written =
            lum::FileReplacer(path).replace(design::designCsv(result.rows).toUtf8());
        !written) {
        out.error(written.error().text());
        return ExitFailure;
    }
    out.status(QStringLiteral("Wrote %1").arg(path));
    return ExitSuccess;
}

} // namespace rivulet::cli
