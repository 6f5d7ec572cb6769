#include "cli/GofCommand.h"

#include "cli/ArgumentParser.h"
#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/gof/ComponentTestsJson.h"
#include "rivulet/gof/NextDetectionCohorts.h"
#include "rivulet/study/Study.h"

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

} // namespace

int GofCommand::run(CliContext& context, const QStringList& arguments)
{
    ArgumentParser parser(QStringLiteral("gof"));
    parser.addOption(QStringLiteral("json"), QStringLiteral("FILE"));
    if (!parser.parse(arguments) || !parser.positionalArguments().isEmpty()) {
        context.out().error(parser.error().isEmpty()
                                ? QStringLiteral("gof does not take \"%1\"")
                                      .arg(parser.positionalArguments().value(0))
                                : parser.error());
        return ExitUsage;
    }
    const Study* study = context.updatedStudy();
    if (!study)
        return ExitFailure;
    const ComponentSummary summary = gof::studyComponentTests(study->nextDetections());
    const QStringList sites = study->sites().shortNames();
    QStringList years;
    for (const int year : study->years().years())
        years << QString::number(year);
    context.out().print(text(summary, sites, years));
    const QString path = parser.value(QStringLiteral("json"));
    if (path.isEmpty())
        return ExitSuccess;
    const QByteArray json =
        gof::componentTestsJson(summary, sites, years).toJson(QJsonDocument::Indented);
    return context.out().writeFileOrPrint(path, json) ? ExitSuccess : ExitFailure;
}

} // namespace rivulet::cli
