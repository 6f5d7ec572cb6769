#include "cli/GofCommand.h"

#include "cli/ArgumentParser.h"
#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "cli/TerminalTracker.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/gof/ComponentTestsJson.h"
#include "rivulet/gof/NextDetectionCohorts.h"
#include "rivulet/study/GofJob.h"
#include "rivulet/study/Study.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>

namespace rivulet::cli {

namespace {

using gof::ComponentSummary;
using gof::ComponentTable;

QString number(double value)
{
    return QString::number(value, 'f', 3);
}

QString nameOf(const QStringList& names, int index)
{
    return index >= 0 && index < names.size() ? names.at(index) : QString::number(index + 1);
}

// "10 8 / 12 7": the table's rows, as tested (after dropping and pooling).
QString cells(const ComponentTable& table)
{
    QStringList rows;
    for (const auto& row : table.test.table) {
        QStringList counts;
        for (const std::int64_t count : row)
            counts << QString::number(count);
        rows << counts.join(QLatin1Char(' '));
    }
    return rows.join(QStringLiteral(" / "));
}

QString tableLine(const ComponentTable& table, const QStringList& sites, const QStringList& years)
{
    QString line = QStringLiteral("%1  %2  %3  %4  %5  %6  %7")
                       .arg(QLatin1String(gof::componentName(table.component)), -5)
                       .arg(nameOf(years, table.stratum), -6)
                       .arg(nameOf(sites, table.occasion), -8)
                       .arg(number(table.test.chiSquare), 10)
                       .arg(table.test.df, 3)
                       .arg(number(table.test.p), 6)
                       .arg(cells(table));
    if (table.component == gof::Component::Sm3 || table.component == gof::Component::CL2) {
        QStringList columns;
        for (int c = 0; c < static_cast<int>(table.test.firstColumns.size()); ++c)
            columns << nameOf(sites, table.columnOccasion(c));
        line += QStringLiteral(" (next at %1)").arg(columns.join(QStringLiteral(", ")));
    }
    if (table.test.fisher)
        line += QStringLiteral(" *");
    return line;
}

QString totalLine(const QString& name, const gof::Total& total)
{
    return QStringLiteral("%1  %2  %3  %4")
        .arg(name, -8)
        .arg(number(total.chiSquare), 10)
        .arg(total.df, 3)
        .arg(number(total.p), 6);
}

QString text(const ComponentSummary& summary, const QStringList& sites, const QStringList& years)
{
    QStringList lines;
    lines << QStringLiteral("Component tests (sites as occasions, within each migration year)");
    lines << QStringLiteral("Test   Year    Site      Chi-square   df       P  Table (rows: seen "
                            "before / first released; missed / seen)");
    for (const ComponentTable& table : summary.tables)
        lines << tableLine(table, sites, years);
    if (summary.tables.empty())
        lines << QStringLiteral("(no table has anything to test)");
    lines << QStringLiteral("* Fisher's exact test (an expected count below 2): the X² of its p.");
    lines << QString();
    lines << QStringLiteral("Total     Chi-square   df       P");
    lines << totalLine(QStringLiteral("3.SR"), summary.sr3);
    lines << totalLine(QStringLiteral("3.Sm"), summary.sm3);
    lines << totalLine(QStringLiteral("Test 3"), summary.test3);
    lines << totalLine(QStringLiteral("2.CT"), summary.ct2);
    lines << totalLine(QStringLiteral("2.CL"), summary.cl2);
    lines << totalLine(QStringLiteral("Test 2"), summary.test2);
    lines << totalLine(QStringLiteral("Overall"), summary.overall) +
                 QStringLiteral("  c-hat %1")
                     .arg(summary.cHat ? number(*summary.cHat) : QStringLiteral("n/a"));
    const auto z = [](const std::optional<double>& value) {
        return value ? number(*value) : QStringLiteral("n/a");
    };
    lines << QStringLiteral("Directional: transience z = %1 (3.SR), trap dependence z = %2 (2.CT)")
                 .arg(z(summary.zTransience), z(summary.zTrapDependence));
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString optionalNumber(const std::optional<double>& value)
{
    return value ? number(*value) : QStringLiteral("n/a");
}

// The most general model's deviance, Fletcher's c-hat and the bootstrap's.
QString modelText(const GofJob& job)
{
    if (!job.hasModelFit())
        return QStringLiteral("\nThe most general model could not be fitted: %1\n")
            .arg(job.modelError());
    const gof::ParametricBootstrap::Result& fit = job.modelFit();
    QStringList lines;
    lines << QString();
    lines << QStringLiteral("Most general model %1: %2 parameters (%3 informed), ln L %4, "
                            "saturated ln L %5, deviance %6")
                 .arg(fit.model)
                 .arg(fit.parameters)
                 .arg(fit.informedParameters)
                 .arg(number(fit.logLikelihood), number(fit.saturatedLogLikelihood),
                      number(fit.deviance));
    lines << QStringLiteral("Pearson X2 %1 on %2 df over %3 pooled next-detection cells "
                            "(expected >= 2), mean (O-E)/E %4; Fletcher's c-hat %5")
                 .arg(number(fit.pearson.chiSquare))
                 .arg(fit.pearson.df)
                 .arg(fit.pearson.cells)
                 .arg(number(fit.pearson.meanRelativeResidual),
                      optionalNumber(fit.pearson.fletcherChat));
    if (fit.requested > 0) {
        lines << QStringLiteral("Bootstrap: %1 simulated studies (seed %2), %3 fitted, mean "
                                "deviance %4; c-hat %5, P %6")
                     .arg(fit.requested)
                     .arg(fit.seed)
                     .arg(fit.deviances.size())
                     .arg(optionalNumber(fit.meanDeviance), optionalNumber(fit.chat),
                          optionalNumber(fit.p));
        lines << QStringLiteral("Bootstrap time: %1 s wall, %2 s of replicate work over the "
                                "threads, %3% of it fitting")
                     .arg(QString::number(fit.wallSeconds, 'f', 2))
                     .arg(QString::number(fit.replicateSeconds, 'f', 2))
                     .arg(QString::number(fit.replicateSeconds > 0.0
                                              ? 100.0 * fit.fitSeconds / fit.replicateSeconds
                                              : 0.0,
                                          'f', 1));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QJsonValue jsonNumber(const std::optional<double>& value)
{
    return value ? QJsonValue(*value) : QJsonValue();
}

QJsonObject modelJson(const GofJob& job)
{
    QJsonObject object;
    if (!job.hasModelFit()) {
        object[QStringLiteral("error")] = job.modelError();
        return object;
    }
    const gof::ParametricBootstrap::Result& fit = job.modelFit();
    object[QStringLiteral("model")] = fit.model;
    object[QStringLiteral("parameters")] = fit.parameters;
    object[QStringLiteral("informedParameters")] = fit.informedParameters;
    object[QStringLiteral("logLikelihood")] = fit.logLikelihood;
    object[QStringLiteral("saturatedLogLikelihood")] = fit.saturatedLogLikelihood;
    object[QStringLiteral("deviance")] = fit.deviance;
    QJsonObject pearson;
    pearson[QStringLiteral("chiSquare")] = fit.pearson.chiSquare;
    pearson[QStringLiteral("df")] = fit.pearson.df;
    pearson[QStringLiteral("cells")] = fit.pearson.cells;
    pearson[QStringLiteral("meanRelativeResidual")] = fit.pearson.meanRelativeResidual;
    pearson[QStringLiteral("fletcherCHat")] = jsonNumber(fit.pearson.fletcherChat);
    object[QStringLiteral("pearson")] = pearson;
    if (fit.requested > 0) {
        QJsonObject bootstrap;
        bootstrap[QStringLiteral("replicates")] = fit.requested;
        bootstrap[QStringLiteral("seed")] = QString::number(fit.seed);
        bootstrap[QStringLiteral("failed")] = fit.failed;
        bootstrap[QStringLiteral("meanDeviance")] = jsonNumber(fit.meanDeviance);
        bootstrap[QStringLiteral("cHat")] = jsonNumber(fit.chat);
        bootstrap[QStringLiteral("p")] = jsonNumber(fit.p);
        QJsonArray deviances;
        for (const double deviance : fit.deviances)
            deviances.append(deviance);
        bootstrap[QStringLiteral("deviances")] = deviances;
        bootstrap[QStringLiteral("wallSeconds")] = fit.wallSeconds;
        bootstrap[QStringLiteral("fitSeconds")] = fit.fitSeconds;
        bootstrap[QStringLiteral("replicateSeconds")] = fit.replicateSeconds;
        object[QStringLiteral("bootstrap")] = bootstrap;
    }
    return object;
}

} // namespace

int GofCommand::run(CliContext& context, const QStringList& arguments)
{
    ArgumentParser parser(QStringLiteral("gof"));
    parser.addOption(QStringLiteral("json"), QStringLiteral("FILE"));
    parser.addOption(QStringLiteral("bootstrap"), QStringLiteral("N"));
    parser.addOption(QStringLiteral("seed"), QStringLiteral("S"));
    if (!parser.parse(arguments) || !parser.positionalArguments().isEmpty()) {
        context.out().error(parser.error().isEmpty()
                                ? QStringLiteral("gof does not take \"%1\"")
                                      .arg(parser.positionalArguments().value(0))
                                : parser.error());
        return ExitUsage;
    }
    GofJob::Options options;
    if (parser.isSet(QStringLiteral("bootstrap"))) {
        bool ok = false;
        options.replicates = parser.value(QStringLiteral("bootstrap")).toInt(&ok);
        if (!ok || options.replicates < 0) {
            context.out().error(QStringLiteral("option --bootstrap needs a number of replicates, "
                                               "not \"%1\"")
                                    .arg(parser.value(QStringLiteral("bootstrap"))));
            return ExitUsage;
        }
    }
    if (parser.isSet(QStringLiteral("seed"))) {
        bool ok = false;
        options.seed = parser.value(QStringLiteral("seed")).toULongLong(&ok);
        if (!ok) {
            context.out().error(QStringLiteral("option --seed needs a whole number, not \"%1\"")
                                    .arg(parser.value(QStringLiteral("seed"))));
            return ExitUsage;
        }
    }
    const Study* study = context.updatedStudy();
    if (!study)
        return ExitFailure;
    // The optimizer settings live in the database, also when the data are simulated.
    if (!context.openDatabase())
        return ExitFailure;
    GofJob job(*study, options, &context.tracker().runner());
    switch (context.tracker().run(job)) {
    case TerminalTracker::Complete:
        break;
    case TerminalTracker::Canceled:
        context.out().warning(QStringLiteral("Goodness of fit canceled."));
        return ExitFailure;
    case TerminalTracker::Failed:
        return ExitFailure;
    }
    const ComponentSummary& summary = job.components();
    const QStringList sites = study->sites().shortNames();
    QStringList years;
    for (const int year : study->years().years())
        years << QString::number(year);
    context.out().print(text(summary, sites, years) + modelText(job));
    const QString path = parser.value(QStringLiteral("json"));
    if (path.isEmpty())
        return ExitSuccess;
    QJsonObject object = gof::componentTestsJson(summary, sites, years).object();
    object[QStringLiteral("mostGeneralModel")] = modelJson(job);
    const QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Indented);
    return context.out().writeFileOrPrint(path, json) ? ExitSuccess : ExitFailure;
}

} // namespace rivulet::cli
