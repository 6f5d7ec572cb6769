// Runs the built tool's "models" and "fit" commands on simulated counts and on a small
// study in a database, and reads the comparison, the estimates and the reports it writes.
#include "StudyToolFixture.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>

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

using FitCommand = rivulet::test::CountsFileFixture;

const char* const kReportFiles[] = {"survival.html", "survival.csv",     "capture.html",
                                    "capture.csv",   "performance.html", "performance.csv",
                                    "releases.html"};

TEST_F(FitCommand, ModelsListsTheCatalogueAndTheFitList)
{
    const ToolRun run = onCounts({"models"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "Data class 1: several release sites, one release year\n"
                       "Capture: All release sites unique\n"
                       "  M.s.1A   fit Survival and movement: All release sites unique\n"
                       "Capture: Equated across all release sites\n"
                       "  M.s.2A   fit Survival and movement: All release sites unique\n"
                       "  M.s.2B   fit Survival and movement: Equated across all release sites\n"
                       "\"Fit All Models\" fits 3 of the models.\n");
}

// The comparison counts the 1500 + 1500 fish released for AICc.
TEST_F(FitCommand, FitsTheFitListAndWritesComparisonEstimatesAveragesAndReports)
{
    const QString out = dir + "/results/run1";
    const ToolRun run = onCounts({"fit", "--average", "--out", out});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    // The simulation shares every parameter: the fully equated model has the lowest AIC.
    EXPECT_TRUE(run.out.contains(QRegularExpression("\n\\* M\\.s\\.2B +0\\.0000 +7 ")))
        << run.out.toStdString();

    const QList<QStringList> comparison = readCsv(out + "/comparison.csv");
    ASSERT_EQ(comparison.size(), 4);
    for (const QStringList& row : comparison.mid(1)) {
        ASSERT_EQ(row.size(), 12) << row.join(',').toStdString();
        EXPECT_EQ(row[10], row[3]);
        EXPECT_EQ(row[11], "converged");
        const double k = row[3].toDouble();
        EXPECT_NEAR(row[7].toDouble(), row[5].toDouble() + 2 * k * (k + 1) / (3000 - k - 1), 1e-6);
    }

    const QList<QStringList> estimates = readCsv(out + "/estimates.csv");
    ASSERT_EQ(estimates.size(), 1 + 3 * 12);
    EXPECT_EQ(estimates[0],
              (QStringList{"model", "family", "release_label", "release", "site", "year1", "year2",
                           "estimate", "se", "fixed", "lcl", "ucl", "status", "interval"}));
    for (const QStringList& row : estimates.mid(1)) {
        ASSERT_EQ(row.size(), 14) << row.join(',').toStdString();
        EXPECT_EQ(row[12], row[9] == "1" ? "fixed" : "estimated");
        EXPECT_EQ(row[13], row[10] == "NA" ? "none" : "wald");
        EXPECT_EQ(row[6].isEmpty(), row[1] == "p");
        const double estimate = row[7].toDouble();
        EXPECT_TRUE(estimate > 0.0 && estimate < 1.0) << row.join(',').toStdString();
        EXPECT_GT(row[8].toDouble(), 0.0) << row.join(',').toStdString();
        EXPECT_EQ(row[2], row[3] == "0" ? "S1 2008" : "S2 2008");
    }
    const QList<QStringList> measures = readCsv(out + "/measures.csv");
    ASSERT_GT(measures.size(), 1);
    EXPECT_EQ(measures[1].mid(1, 3),
              (QStringList{"cohort_survival", "S1 Sub-Yearlings (2008)", "S2"}));
    EXPECT_TRUE(QString::fromUtf8(fileContents(out + "/averaged.csv")).contains("\nmeasure,"));

    // The reports of the best model, each announced, none with a number that is not finite.
    EXPECT_TRUE(run.out.contains("Reports of model M.s.2B:")) << run.out.toStdString();
    for (const char* name : kReportFiles) {
        const QString text = QString::fromUtf8(fileContents(QDir(out).filePath(name)));
        EXPECT_TRUE(run.out.contains("File \"" + QDir(out).filePath(name) + "\" created.")) << name;
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
        {{"--model", "M.ys.1A"},
         2,
         "unknown model \"M.ys.1A\"; the models of this data set are: M.s.1A, M.s.2A, M.s.2B"},
        {{"--out", bad, "--precision-err=-1"}, 2, "error:"},
        {{"--out", bad, "--report-model", "M.ys.1A"}, 2, "unknown model \"M.ys.1A\""},
        {{"--out", dir + "/plain/sub"}, 1, "Can't create the output folder"},
        // A folder that exists but takes no files, even from a privileged user.
        {{"--out", "/proc"}, 1, "error: Can't write into the output folder \"/proc\": "},
    };
    for (const auto& bad : cases) {
        const ToolRun run = onCounts(QStringList{"fit"} + bad.arguments);
        EXPECT_EQ(run.exitCode, bad.exitCode) << bad.arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(bad.error)) << run.err.toStdString();
        EXPECT_FALSE(run.out.contains("Fitting model")) << bad.arguments.join(' ').toStdString();
    }
}

// A report that cannot be written fails the run and names the file; the reports after it are
// not written. Nor are those of a model that was not fitted.
TEST_F(FitCommand, ReportsThatCannotBeWrittenFailTheRun)
{
    const QString out = dir + "/report";
    ASSERT_TRUE(QDir().mkpath(out + "/performance.html"));
    const ToolRun report = onCounts({"fit", "--model", "M.s.2B", "--out", out});
    EXPECT_EQ(report.exitCode, 1);
    EXPECT_TRUE(report.err.contains("performance.html")) << report.err.toStdString();
    EXPECT_FALSE(report.out.contains("performance.html\" created")) << report.out.toStdString();
    EXPECT_FALSE(QFileInfo::exists(out + "/releases.html"));

    const QString unfitted = dir + "/unfitted";
    const ToolRun other =
        onCounts({"fit", "--out", unfitted, "--model", "M.s.2B", "--report-model", "M.s.1A"});
    EXPECT_EQ(other.exitCode, 1);
    EXPECT_TRUE(other.err.contains("Model \"M.s.1A\" was not estimated"))
        << other.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(unfitted + "/survival.html"));
}

// A run that fails part-way wrote comparison.csv over the earlier one and left the rest of the
// earlier files beside it; the folder stays as it was instead.
TEST_F(FitCommand, AFailedRunLeavesTheOutputFolderAsItWas)
{
    const QString out = dir + "/kept";
    ASSERT_TRUE(QDir().mkpath(out + "/measures.csv"));
    writeFile(out + "/comparison.csv", "earlier study\n");
    const ToolRun run = onCounts({"fit", "--model", "M.s.2B", "--out", out});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("is as it was")) << run.err.toStdString();
    EXPECT_EQ(fileContents(out + "/comparison.csv"), "earlier study\n");
    EXPECT_EQ(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"comparison.csv", "measures.csv"}));
}

// The named models in catalogue order, with another optimizer and criterion; the reports of a
// named model with the precisions asked for.
TEST_F(FitCommand, NamedModelsReportModelAndPrecisions)
{
    const QString out = dir + "/named";
    const ToolRun run = onCounts({"fit", "--model", "M.s.2B", "--model=M.s.1A", "--optimizer", "2",
                                  "--out", out, "--report-model", "M.s.1A", "--precision-est=2",
                                  "--precision-err", "3", "--best-by", "aicc"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("(* lowest AICc)")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("Estimating 2 model(s) with Direction Set (Powell's)"))
        << run.out.toStdString();
    const int first = run.out.indexOf("Fitting model M.s.1A");
    EXPECT_TRUE(first >= 0 && first < run.out.indexOf("Fitting model M.s.2B"));
    // Each model's fit ends with one line that names it and says how the fit ended.
    EXPECT_TRUE(run.out.contains(
        QRegularExpression("\nM\\.s\\.1A: converged in [1-9][0-9]* iterations; covariance ")))
        << run.out.toStdString();
    EXPECT_TRUE(fileContents(out + "/survival.csv").contains("\nModel:,M.s.1A\n"));
    const QString capture = QString::fromUtf8(fileContents(out + "/capture.html"));
    EXPECT_TRUE(capture.contains(QRegularExpression(">\\d\\.\\d{2} \\(\\d\\.\\d{3}\\)<")))
        << capture.toStdString();
}

// ĉ = 1 (given, or below 1) writes exactly what no ĉ writes; ĉ = 2 adds the quasi-likelihood
// columns to comparison.csv, states the ĉ, and makes every standard error √2 times wider.
TEST_F(FitCommand, ChatOfOneChangesNoOutputAndAboveOneInflatesAndAddsQaicc)
{
    const auto fitInto = [this](const QString& out, const QStringList& extra) {
        const ToolRun run = onCounts(QStringList{"fit", "--average", "--out", out} + extra);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return run;
    };
    const QString plain = dir + "/chat-none";
    const ToolRun none = fitInto(plain, {});
    const QStringList files = QDir(plain).entryList(QDir::Files);
    ASSERT_GE(files.size(), 9);
    for (const QString& chat : {QStringLiteral("1"), QStringLiteral("0.5"), QStringLiteral("0")}) {
        const QString out = dir + "/chat-" + chat;
        const ToolRun run = fitInto(out, {"--chat", chat});
        EXPECT_EQ(QString(run.out).replace(out, plain), none.out);
        EXPECT_EQ(QDir(out).entryList(QDir::Files), files);
        for (const QString& file : files)
            EXPECT_EQ(fileContents(out + "/" + file), fileContents(plain + "/" + file))
                << chat.toStdString() << " " << file.toStdString();
    }

    const QString inflated = dir + "/chat-2";
    const ToolRun two = fitInto(inflated, {"--chat", "2"});
    EXPECT_TRUE(two.out.contains("QAICc")) << two.out.toStdString();
    EXPECT_TRUE(two.out.contains("by Akaike weight (QAICc)")) << two.out.toStdString();
    EXPECT_TRUE(two.out.contains("(* lowest QAICc)")) << two.out.toStdString();
    const QList<QStringList> comparison = readCsv(inflated + "/comparison.csv");
    ASSERT_EQ(comparison.size(), 4);
    EXPECT_EQ(comparison[0].mid(12), (QStringList{"qaicc", "delta_qaicc", "qaicc_weight", "chat"}));
    double weights = 0.0;
    for (const QStringList& row : comparison.mid(1)) {
        ASSERT_EQ(row.size(), 16);
        EXPECT_EQ(row[15], "2");
        const double k = row[3].toDouble();
        const double lnL = row[4].toDouble();
        EXPECT_NEAR(row[12].toDouble(), -lnL + 2 * k + 2 * k * (k + 1) / (3000 - k - 1), 1e-6);
        weights += row[14].toDouble();
    }
    EXPECT_NEAR(weights, 1.0, 1e-9);
    const QList<QStringList> base = readCsv(plain + "/estimates.csv");
    const QList<QStringList> wide = readCsv(inflated + "/estimates.csv");
    ASSERT_EQ(wide.size(), base.size());
    for (int i = 1; i < base.size(); ++i) {
        EXPECT_EQ(wide[i][7], base[i][7]);
        if (base[i][8].isEmpty() || base[i][8] == "NA")
            continue;
        EXPECT_NEAR(wide[i][8].toDouble(), std::sqrt(2.0) * base[i][8].toDouble(),
                    1e-9 + 1e-6 * base[i][8].toDouble())
            << base[i].join(',').toStdString();
    }
    // The reports say so.
    EXPECT_TRUE(fileContents(inflated + "/survival.csv").contains("\nc-hat:,2,"));
    EXPECT_TRUE(QString::fromUtf8(fileContents(inflated + "/capture.html")).contains("c-hat: "));
    EXPECT_EQ(onCounts({"fit", "--chat", "none"}).exitCode, 2);
    EXPECT_EQ(onCounts({"fit", "--chat=-2"}).exitCode, 2);
}

TEST_F(FitCommand, NoFishOrNoReleasesAreNothingToFit)
{
    writeFile(counts, "1 3 1\n0\n0\n0\n\n0\n0 0\n0 0\n");
    const ToolRun fish = onCounts({"fit"});
    EXPECT_EQ(fish.exitCode, 1);
    EXPECT_TRUE(fish.err.contains("There is nothing to fit: no release has any fish."))
        << fish.err.toStdString();

    writeFile(counts, "0 3 1\n\n\n\n\n");
    EXPECT_EQ(onCounts({"models"}).out, "No models: the data set has no releases.\n");
    const ToolRun releases = onCounts({"fit"});
    EXPECT_EQ(releases.exitCode, 1);
    EXPECT_TRUE(releases.err.contains("None of the models are estimable."))
        << releases.err.toStdString();
}

// A study in the database: one release above the detection site LGR and the final site BON.
// 24 fish: 6 seen at both sites, 6 at LGR only, 4 at BON only, 8 never.
TEST(FitCommandDatabase, TheFitOfAStoredStudyMatchesTheClosedFormEstimates)
{
    const QString dir = TestEnvironment::freshDir("cli-fit-db");
    writeFile(dir + "/sites.txt", rivulet::test::kSmallSites);
    QByteArray rows = "# export\n";
    for (int i = 0; i < 24; ++i) {
        const QByteArray tag = "T" + QByteArray::number(i);
        if (i < 12)
            rows += rivulet::test::observationRow(tag, "2008-05-01 10:00:00", "GRJ");
        if (i < 6 || (i >= 12 && i < 16))
            rows += rivulet::test::observationRow(tag, "2008-06-01 10:00:00", "BON");
        if (i >= 16)
            rows += rivulet::test::observationRow(tag);
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

} // namespace
