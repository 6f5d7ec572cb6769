// Runs the built tool's "models" and "fit" commands on simulated counts and on a small
// study in a database, and reads the comparison, the estimates and the reports it writes.
#include "StudyToolFixture.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

using rivulet::test::fileContents;
using rivulet::test::runTool;
using rivulet::test::TestEnvironment;
using rivulet::test::ToolRun;
using rivulet::test::writeFile;

// CSV lines split at the commas outside quotes, header first.
QList<QStringList> readCsv(const QString& path)
{
    static const QRegularExpression comma(QStringLiteral(",(?=(?:[^\"]*\"[^\"]*\")*[^\"]*$)"));
    QList<QStringList> rows;
    for (const QString& line :
         QString::fromUtf8(fileContents(path)).split('\n', Qt::SkipEmptyParts))
        rows << line.split(comma).replaceInStrings(QRegularExpression("^\"|\"$"), QString());
    return rows;
}

using FitCommand = rivulet::test::MockCountsFixture;

const char* const kReportFiles[] = {"survival.html", "survival.csv",     "capture.html",
                                    "capture.csv",   "performance.html", "performance.csv",
                                    "releases.html"};

TEST_F(FitCommand, ModelsListsTheCatalogueAndTheFitList)
{
    const ToolRun run = mock({"models"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "Data class 1: several release sites, one release year\n"
                       "Capture: All release sites unique\n"
                       "  M.s.1A   fit Survival and movement: All release sites unique\n"
                       "Capture: Equated across all release sites\n"
                       "  M.s.2A   fit Survival and movement: All release sites unique\n"
                       "  M.s.2B   fit Survival and movement: Equated across all release sites\n"
                       "\"Fit All Models\" fits 3 of the models.\n");
    EXPECT_EQ(mock({"models", "extra"}).exitCode, 2);
}

TEST_F(FitCommand, FitsTheFitListAndWritesComparisonAndEstimates)
{
    const QString out = dir + "/results/run1";
    const ToolRun run = mock({"fit", "--out", out});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("error:")) << run.err.toStdString();
    const int first = run.out.indexOf("\nFitting model M.s.1A\n");
    const int second = run.out.indexOf("\nFitting model M.s.2A\n");
    const int third = run.out.indexOf("\nFitting model M.s.2B\n");
    EXPECT_TRUE(first >= 0 && first < second && second < third) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("Fletch, beginning function value: "));
    EXPECT_TRUE(run.out.contains("Model estimation complete.\n"));
    // The simulation shares every parameter: the fully equated model has the lowest AIC.
    EXPECT_TRUE(run.out.contains(QRegularExpression("\n\\* M\\.s\\.2B +0\\.0000 +7 ")))
        << run.out.toStdString();

    const QList<QStringList> comparison = readCsv(out + "/comparison.csv");
    ASSERT_EQ(comparison.size(), 4);
    EXPECT_EQ(comparison[0],
              (QStringList{"model", "description", "delta_aic", "num_params", "log_likelihood",
                           "aic", "best", "aicc", "delta_aicc", "weight"}));
    double lowest = HUGE_VAL;
    for (int i = 1; i < 4; ++i)
        lowest = std::min(lowest, comparison[i][5].toDouble());
    for (int i = 1; i < 4; ++i) {
        ASSERT_EQ(comparison[i].size(), 10);
        const double aic = comparison[i][5].toDouble();
        EXPECT_NEAR(comparison[i][2].toDouble(), aic - lowest, 1e-9);
        EXPECT_NEAR(aic, 2 * comparison[i][3].toDouble() - 2 * comparison[i][4].toDouble(), 1e-6);
        EXPECT_EQ(comparison[i][6], aic == lowest ? "1" : "0");
    }
    EXPECT_EQ(comparison[3][0], "M.s.2B");
    EXPECT_EQ(comparison[3][1], "Capture: Equated across all release sites, Survival and "
                                "movement: Equated across all release sites");

    const QList<QStringList> estimates = readCsv(out + "/estimates.csv");
    ASSERT_EQ(estimates.size(), 1 + 3 * 12);
    EXPECT_EQ(estimates[0],
              (QStringList{"model", "family", "release_label", "release", "site", "year1", "year2",
                           "estimate", "se", "fixed", "lcl", "ucl"}));
    for (int i = 1; i < estimates.size(); ++i) {
        const QStringList& row = estimates[i];
        ASSERT_EQ(row.size(), 12) << row.join(',').toStdString();
        EXPECT_TRUE(row[1] == "phi" || row[1] == "lambda" || row[1] == "p");
        EXPECT_EQ(row[6].isEmpty(), row[1] == "p");
        const double estimate = row[7].toDouble();
        EXPECT_TRUE(estimate > 0.0 && estimate < 1.0) << row.join(',').toStdString();
        EXPECT_GT(row[8].toDouble(), 0.0) << row.join(',').toStdString();
        EXPECT_EQ(row[9], "0");
        EXPECT_EQ(row[2], row[3] == "0" ? "S1 2008" : "S2 2008");
    }
    EXPECT_FALSE(QFile::exists(out + "/comparison.csv.tmp"));

    // The reports of the best model, each announced, none with a number that is not finite.
    EXPECT_TRUE(run.out.contains("Reports of model M.s.2B:")) << run.out.toStdString();
    for (const char* name : kReportFiles) {
        const QString text = QString::fromUtf8(fileContents(QDir(out).filePath(name)));
        EXPECT_TRUE(run.out.contains("File \"" + QDir(out).filePath(name) + "\" created.")) << name;
        EXPECT_TRUE(text.contains("M.s.2B") || text.contains("1500")) << name;
        EXPECT_FALSE(text.contains(
            QRegularExpression("\\b(nan|inf)\\b", QRegularExpression::CaseInsensitiveOption)))
            << name;
    }
}

TEST_F(FitCommand, BadArgumentsAndUnusableOutputFoldersFailBeforeAnyFit)
{
    writeFile(dir + "/plain", "not a folder");
    const QString bad = dir + "/bad";
    const struct
    {
        QStringList arguments;
        int exitCode;
        const char* error;
    } cases[] = {
        {{"--bogus"}, 2, "error:"},
        {{"--model", "M.ys.1A"},
         2,
         "unknown model \"M.ys.1A\"; the models of this data set are: M.s.1A, M.s.2A, M.s.2B"},
        {{"--optimizer"}, 2, "error:"},
        {{"--out="}, 2, "error:"},
        {{"--out", bad, "--precision-est", "many"}, 2, "error:"},
        {{"--out", bad, "--precision-err=-1"}, 2, "error:"},
        {{"--out", bad, "--precision-est"}, 2, "error:"},
        {{"--out", bad, "--report-model="}, 2, "error:"},
        {{"--out", bad, "--best-by", "BIC"}, 2, "error:"},
        {{"--out", bad, "--report-model", "M.ys.1A"}, 2, "unknown model \"M.ys.1A\""},
        {{"--out", dir + "/plain"}, 1, "output folder"},
        {{"--out", dir + "/plain/sub"}, 1, "Can't create the output folder"},
    };
    for (const auto& bad : cases) {
        const ToolRun run = mock(QStringList{"fit"} + bad.arguments);
        EXPECT_EQ(run.exitCode, bad.exitCode) << bad.arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(bad.error)) << run.err.toStdString();
        EXPECT_FALSE(run.out.contains("Fitting model")) << bad.arguments.join(' ').toStdString();
    }
}

// A file of the results or a report that cannot be written fails the run and names the file;
// the reports after it are not written.
TEST_F(FitCommand, AFileThatCannotBeWrittenIsAnError)
{
    ASSERT_TRUE(QDir().mkpath(dir + "/blocked/estimates.csv"));
    const ToolRun estimates = mock({"fit", "--model", "M.s.2B", "--out", dir + "/blocked"});
    EXPECT_EQ(estimates.exitCode, 1);
    EXPECT_TRUE(estimates.err.contains("estimates.csv")) << estimates.err.toStdString();

    const QString out = dir + "/report";
    ASSERT_TRUE(QDir().mkpath(out + "/performance.html"));
    const ToolRun report = mock({"fit", "--model", "M.s.2B", "--out", out});
    EXPECT_EQ(report.exitCode, 1);
    EXPECT_TRUE(report.err.contains("performance.html")) << report.err.toStdString();
    EXPECT_FALSE(report.out.contains("performance.html\" created")) << report.out.toStdString();
    EXPECT_FALSE(QFileInfo::exists(out + "/releases.html"));
}

// The named models in catalogue order, with another optimizer; the reports of a named model
// with the precisions asked for.
TEST_F(FitCommand, NamedModelsReportModelAndPrecisions)
{
    const QString out = dir + "/named";
    const ToolRun run =
        mock({"fit", "--model", "M.s.2B", "--model=M.s.1A", "--optimizer", "2", "--out", out,
              "--report-model", "M.s.1A", "--precision-est=2", "--precision-err", "3"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("Estimating 2 model(s) with Direction Set (Powell's)"))
        << run.out.toStdString();
    const int first = run.out.indexOf("Fitting model M.s.1A");
    EXPECT_TRUE(first >= 0 && first < run.out.indexOf("Fitting model M.s.2B"));
    EXPECT_FALSE(run.out.contains("Fitting model M.s.2A"));
    EXPECT_TRUE(fileContents(out + "/survival.csv").contains("\nModel:,M.s.1A\n"));
    const QString capture = QString::fromUtf8(fileContents(out + "/capture.html"));
    EXPECT_TRUE(capture.contains(QRegularExpression(">\\d\\.\\d{2} \\(\\d\\.\\d{3}\\)<")))
        << capture.toStdString();

    const QString unfitted = dir + "/unfitted";
    const ToolRun other =
        mock({"fit", "--out", unfitted, "--model", "M.s.2B", "--report-model", "M.s.1A"});
    EXPECT_EQ(other.exitCode, 1);
    EXPECT_TRUE(other.err.contains("Model \"M.s.1A\" was not estimated"))
        << other.err.toStdString();
    for (const char* name : kReportFiles)
        EXPECT_FALSE(QFileInfo::exists(unfitted + "/" + name)) << name;
}

TEST_F(FitCommand, ADataSetWithoutReleasesHasNoModels)
{
    writeFile(counts, "0 3 1\n\n\n\n\n");
    const ToolRun models = mock({"models"});
    EXPECT_EQ(models.exitCode, 0) << models.err.toStdString();
    EXPECT_EQ(models.out, "No models: the data set has no releases.\n");
    const ToolRun fit = mock({"fit"});
    EXPECT_EQ(fit.exitCode, 1);
    EXPECT_TRUE(fit.err.contains("None of the models are estimable.")) << fit.err.toStdString();
}

// A study in the database: one release above the detection site LGR and the final site BON.
// 24 fish: 6 seen at both sites, 6 at LGR only, 4 at BON only, 8 never.
TEST(FitCommandDatabase, TheFitOfAStoredStudyMatchesTheClosedFormEstimates)
{
    const QString dir = TestEnvironment::freshDir("cli-fit-db");
    writeFile(dir + "/sites.txt", "CONFIGDATE: 2012.3.4\nRELSITE: UPR\nRIVERK: 522.303.100\n"
                                  "SITE: LGR\nRIVERK: 522.173\nCODES: GRJ\nSITE: BON\nRIVERK: 234\n"
                                  "CODE: GRJ\nRANGE: 2005-01-01 present\nR: J: 1: River {01}\n");
    QByteArray rows = "# export\n";
    int tag = 0;
    const auto add = [&](const char* time, const char* site) {
        rows += "M,x,T" + QByteArray::number(tag) + ",,2008-04-01 10:00:00,,,,,,,UPR,,,," + time +
                "," + site + ",01,\n";
    };
    for (int i = 0; i < 24; ++i, ++tag) {
        if (i < 12)
            add("2008-05-01 10:00:00", "GRJ");
        if (i < 6 || (i >= 12 && i < 16))
            add("2008-06-01 10:00:00", "BON");
        if (i >= 16)
            add("", "");
    }
    writeFile(dir + "/obs.csv", rows);
    const QStringList db = {"--db", dir + "/study.db", "--sites-config", dir + "/sites.txt"};
    ASSERT_EQ(runTool(db + QStringList{"load-observations", dir + "/obs.csv"}).exitCode, 0);

    const ToolRun run = runTool(db + QStringList{"fit", "--out", dir + "/out"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QList<QStringList> estimates = readCsv(dir + "/out/estimates.csv");
    ASSERT_EQ(estimates.size(), 4);
    // Jolly-Seber: M1 = 12 + 12 * 4 / 6 = 20; phi = 20 / 24, p = 12 / 20, lambda = 6 / 12.
    EXPECT_EQ(estimates[1].mid(0, 7),
              (QStringList{"M.n.1A", "phi", "UPR 2008", "0", "1", "0", "0"}));
    EXPECT_NEAR(estimates[1][7].toDouble(), 20.0 / 24.0, 1e-4);
    EXPECT_EQ(estimates[2][1], "lambda");
    EXPECT_NEAR(estimates[2][7].toDouble(), 0.5, 1e-4);
    EXPECT_EQ(estimates[3][1], "p");
    EXPECT_NEAR(estimates[3][7].toDouble(), 0.6, 1e-4);
}

// Rows of a result file without its header; every field split at commas (the files checked
// here quote no field).
std::vector<QStringList> csvRows(const QString& text)
{
    std::vector<QStringList> rows;
    for (const QString& line : text.split('\n', Qt::SkipEmptyParts).mid(1))
        rows.push_back(line.split(','));
    return rows;
}

// lcl and ucl of a row: both "NA", or an interval inside [0, 1] around the estimate.
void expectInterval(const QStringList& row, int estimate, int lcl)
{
    const QString text = row.join(',');
    if (row.at(lcl) == "NA") {
        EXPECT_EQ(row.at(lcl + 1), "NA") << text.toStdString();
        return;
    }
    const double value = row.at(estimate).toDouble();
    EXPECT_GT(value, 0.0) << text.toStdString();
    EXPECT_LT(value, 1.0) << text.toStdString();
    EXPECT_GE(row.at(lcl).toDouble(), 0.0) << text.toStdString();
    EXPECT_LE(row.at(lcl).toDouble(), value) << text.toStdString();
    EXPECT_GE(row.at(lcl + 1).toDouble(), value) << text.toStdString();
    EXPECT_LE(row.at(lcl + 1).toDouble(), 1.0) << text.toStdString();
}

TEST_F(FitCommand, AverageWritesIntervalsWeightsMeasuresAndAveragedEstimates)
{
    const QString out = dir + "/average";
    const ToolRun run = mock({"fit", "--average", "--out", out});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("AICc")) << run.out.toStdString();

    // n = 1500 + 1500 fish released; the fields from the end: num_params, log_likelihood,
    // aic, best, aicc, delta_aicc, weight.
    const QString comparison = QString::fromUtf8(fileContents(out + "/comparison.csv"));
    EXPECT_TRUE(comparison.startsWith(
        "model,description,delta_aic,num_params,log_likelihood,aic,best,aicc,delta_aicc,weight\n"));
    double weights = 0.0;
    double lowest = std::numeric_limits<double>::max();
    for (const QStringList& row : csvRows(comparison)) {
        const int n = static_cast<int>(row.size());
        const double k = row.at(n - 7).toDouble();
        EXPECT_NEAR(row.at(n - 3).toDouble(),
                    row.at(n - 5).toDouble() + 2 * k * (k + 1) / (3000 - k - 1), 1e-6);
        lowest = std::min(lowest, row.at(n - 2).toDouble());
        weights += row.at(n - 1).toDouble();
    }
    EXPECT_NEAR(weights, 1.0, 1e-9);
    EXPECT_EQ(lowest, 0.0);

    const auto estimates = csvRows(QString::fromUtf8(fileContents(out + "/estimates.csv")));
    ASSERT_FALSE(estimates.empty());
    int firstModelPhi = 0;
    for (const QStringList& row : estimates) {
        ASSERT_EQ(row.size(), 12) << row.join(',').toStdString();
        expectInterval(row, 7, 10);
        firstModelPhi += row.at(0) == estimates.front().at(0) && row.at(1) == "phi" ? 1 : 0;
    }

    const auto measures = csvRows(QString::fromUtf8(fileContents(out + "/measures.csv")));
    ASSERT_FALSE(measures.empty());
    for (const QStringList& row : measures) {
        ASSERT_EQ(row.size(), 9) << row.join(',').toStdString();
        expectInterval(row, 5, 7);
    }
    EXPECT_EQ(measures.front().mid(1, 3),
              (QStringList{"cohort_survival", "S1 Sub-Yearlings (2008)", "S2"}));

    // Every model has every parameter of the data's index space.
    const auto averaged = csvRows(QString::fromUtf8(fileContents(out + "/averaged.csv")));
    int phi = 0;
    int measured = 0;
    for (const QStringList& row : averaged) {
        ASSERT_EQ(row.size(), 10) << row.join(',').toStdString();
        expectInterval(row, 6, 8);
        phi += row.at(0) == "parameter" && row.at(1) == "phi" ? 1 : 0;
        measured += row.at(0) == "measure" ? 1 : 0;
    }
    EXPECT_EQ(phi, firstModelPhi);
    EXPECT_GT(measured, 0);

    const ToolRun byAicc = mock({"fit", "--best-by", "aicc"});
    ASSERT_EQ(byAicc.exitCode, 0) << byAicc.err.toStdString();
    EXPECT_TRUE(byAicc.out.contains("(* lowest AICc)")) << byAicc.out.toStdString();
}

} // namespace
