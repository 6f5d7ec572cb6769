#include "StudyToolFixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace rivulet::test {
namespace {

using GofCommand = StudyToolFixture;

// The sample's tables and totals are printed, and the JSON holds the same figures.
TEST_F(GofCommand, SampleCountsPrintTheTablesAndTotalsAndWriteTheSameAsJson)
{
    const QString dir = TestEnvironment::freshDir("gof-sample");
    const ToolRun run = runTool({"--db", dir + "/settings.db", "--mock", sample("counts.txt"),
                                 "gof", "--json", dir + "/gof.json"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    static const QRegularExpression overall(
        "^Overall +(\\d+\\.\\d{3}) +(\\d+) +(\\d\\.\\d{3})  c-hat (\\d+\\.\\d{3})$",
        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch line = overall.match(run.out);
    ASSERT_TRUE(line.hasMatch()) << run.out.toStdString();
    EXPECT_GT(line.captured(2).toInt(), 0);

    const QJsonObject json = QJsonDocument::fromJson(fileContents(dir + "/gof.json")).object();
    const QJsonObject total = json["totals"].toObject()["overall"].toObject();
    EXPECT_EQ(QString::number(total["chiSquare"].toDouble(), 'f', 3), line.captured(1));
    EXPECT_EQ(total["df"].toInt(), line.captured(2).toInt());
    EXPECT_EQ(QString::number(json["cHat"].toDouble(), 'f', 3), line.captured(4));
    // A table line names its migration year; a totals line has none.
    static const QRegularExpression tableLine("^[23]\\.(SR|Sm|CT|CL) +\\d+ +",
                                              QRegularExpression::MultilineOption);
    EXPECT_EQ(json["tables"].toArray().size(), run.out.count(tableLine)) << run.out.toStdString();
}

// The bootstrap's figures are printed and written; the seed repeats them.
TEST_F(GofCommand, BootstrapWithASeedPrintsAndWritesTheSameFiguresEachRun)
{
    const QString dir = TestEnvironment::freshDir("gof-bootstrap");
    const auto run = [&](const QString& json) {
        return runTool({"--db", dir + "/settings.db", "--mock", sample("counts.txt"), "gof",
                        "--bootstrap", "12", "--seed", "3", "--json", json});
    };
    const ToolRun first = run(dir + "/a.json");
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    ASSERT_EQ(run(dir + "/b.json").exitCode, 0);
    static const QRegularExpression line(
        "^Bootstrap: 12 simulated studies \\(seed 3\\), (\\d+) fitted, mean deviance "
        "(\\d+\\.\\d{3}); c-hat (\\d+\\.\\d{3}), P (\\d\\.\\d{3})$",
        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch printed = line.match(first.out);
    ASSERT_TRUE(printed.hasMatch()) << first.out.toStdString();
    EXPECT_TRUE(first.out.contains("Fletcher's c-hat")) << first.out.toStdString();

    const QJsonObject a = QJsonDocument::fromJson(fileContents(dir + "/a.json"))
                              .object()["mostGeneralModel"]
                              .toObject();
    const QJsonObject b = QJsonDocument::fromJson(fileContents(dir + "/b.json"))
                              .object()["mostGeneralModel"]
                              .toObject();
    const QJsonObject bootstrap = a["bootstrap"].toObject();
    EXPECT_EQ(bootstrap["deviances"].toArray().size(), printed.captured(1).toInt());
    EXPECT_EQ(bootstrap["deviances"], b["bootstrap"].toObject()["deviances"]);
    EXPECT_EQ(QString::number(bootstrap["cHat"].toDouble(), 'f', 3), printed.captured(3));
    EXPECT_NEAR(bootstrap["cHat"].toDouble(),
                a["deviance"].toDouble() / bootstrap["meanDeviance"].toDouble(), 1e-12);
    EXPECT_EQ(QString::number(bootstrap["p"].toDouble(), 'f', 3), printed.captured(4));
}

TEST_F(GofCommand, BadArgumentsAreUsageErrors)
{
    const QString dir = TestEnvironment::freshDir("gof-usage");
    const QStringList mock{"--db", dir + "/settings.db", "--mock", sample("counts.txt"), "gof"};
    EXPECT_EQ(runTool(mock + QStringList{"extra"}).exitCode, 2);
    EXPECT_EQ(runTool(mock + QStringList{"--bootstrap", "many"}).exitCode, 2);
    EXPECT_EQ(runTool(mock + QStringList{"--seed", "-1"}).exitCode, 2);
    const ToolRun missing = runTool(mock + QStringList{"--json"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_FALSE(missing.err.isEmpty());
}

} // namespace
} // namespace rivulet::test
