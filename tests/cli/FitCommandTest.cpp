// Runs the built tool's "models" and "fit" commands on simulated counts and on a small
// study in a database.
#include "StudyToolFixture.h"
#include "common/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using rivulet::test::runTool;
using rivulet::test::TestEnvironment;
using rivulet::test::ToolRun;
using rivulet::test::writeFile;

// CSV lines split at commas, header first; quoted fields keep their commas.
QList<QStringList> readCsv(const QString& path)
{
    QFile file(path);
    QList<QStringList> rows;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return rows;
    const QRegularExpression field(QStringLiteral("(\"(?:[^\"]|\"\")*\"|[^,]*)(,|$)"));
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)) {
        QStringList fields;
        auto it = field.globalMatch(line);
        while (it.hasNext()) {
            const auto match = it.next();
            QString value = match.captured(1);
            if (value.startsWith('"'))
                value = value.mid(1, value.size() - 2).replace("\"\"", "\"");
            fields << value;
            if (match.captured(2).isEmpty())
                break;
        }
        rows << fields;
    }
    return rows;
}

using FitCommand = rivulet::test::MockCountsFixture;

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
    EXPECT_EQ(comparison[0], (QStringList{"model", "description", "delta_aic", "num_params",
                                          "log_likelihood", "aic", "best"}));
    double lowest = HUGE_VAL;
    for (int i = 1; i < 4; ++i)
        lowest = std::min(lowest, comparison[i][5].toDouble());
    for (int i = 1; i < 4; ++i) {
        ASSERT_EQ(comparison[i].size(), 7);
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
    EXPECT_EQ(estimates[0], (QStringList{"model", "family", "release_label", "release", "site",
                                         "year1", "year2", "estimate", "se", "fixed"}));
    QMap<QString, double> equated;
    for (int i = 1; i < estimates.size(); ++i) {
        const QStringList& row = estimates[i];
        ASSERT_EQ(row.size(), 10) << row.join(',').toStdString();
        EXPECT_TRUE(row[1] == "phi" || row[1] == "lambda" || row[1] == "p");
        EXPECT_EQ(row[6].isEmpty(), row[1] == "p");
        const double estimate = row[7].toDouble();
        EXPECT_TRUE(estimate > 0.0 && estimate < 1.0) << row.join(',').toStdString();
        EXPECT_GT(row[8].toDouble(), 0.0) << row.join(',').toStdString();
        EXPECT_EQ(row[9], "0");
        EXPECT_EQ(row[2], row[3] == "0" ? "S1 2008" : "S2 2008");
        if (row[0] == "M.s.2B" && row[4] != "1") {
            // Both releases share every parameter below site 1.
            const QString key = row[1] + row[4];
            if (equated.contains(key)) {
                EXPECT_EQ(equated[key], estimate) << key.toStdString();
            }
            equated[key] = estimate;
        }
    }
    EXPECT_EQ(equated.size(), 5);
    EXPECT_FALSE(QFile::exists(out + "/comparison.csv.tmp"));
}

TEST_F(FitCommand, FitsOnlyTheNamedModelsInCatalogueOrder)
{
    const ToolRun run = mock({"fit", "--model", "M.s.2B", "--model=M.s.1A", "--optimizer", "2"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("Estimating 2 model(s) with Direction Set (Powell's)"))
        << run.out.toStdString();
    const int first = run.out.indexOf("Fitting model M.s.1A");
    const int second = run.out.indexOf("Fitting model M.s.2B");
    EXPECT_TRUE(first >= 0 && first < second) << run.out.toStdString();
    EXPECT_FALSE(run.out.contains("Fitting model M.s.2A"));

    const ToolRun unknown = mock({"fit", "--model", "M.ys.1A"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.contains(
        "unknown model \"M.ys.1A\"; the models of this data set are: M.s.1A, M.s.2A, M.s.2B"))
        << unknown.err.toStdString();
    EXPECT_FALSE(unknown.out.contains("Fitting model"));
}

TEST_F(FitCommand, BadArgumentsAndUnusableOutputFoldersFailBeforeAnyFit)
{
    EXPECT_EQ(mock({"fit", "--bogus"}).exitCode, 2);
    EXPECT_EQ(mock({"fit", "--optimizer"}).exitCode, 2);
    EXPECT_EQ(mock({"fit", "--out="}).exitCode, 2);

    writeFile(dir + "/plain", "not a folder");
    const ToolRun onFile = mock({"fit", "--out", dir + "/plain"});
    EXPECT_EQ(onFile.exitCode, 1);
    EXPECT_TRUE(onFile.err.contains("output folder")) << onFile.err.toStdString();
    EXPECT_FALSE(onFile.out.contains("Fitting model"));

    const ToolRun below = mock({"fit", "--out", dir + "/plain/sub"});
    EXPECT_EQ(below.exitCode, 1);
    EXPECT_TRUE(below.err.contains("Can't create the output folder")) << below.err.toStdString();
    EXPECT_FALSE(below.out.contains("Fitting model"));

    // A folder that exists but takes no files, even from a privileged user.
    const ToolRun unwritable = mock({"fit", "--out", "/proc"});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_TRUE(unwritable.err.startsWith("error: Can't write into the output folder \"/proc\": "))
        << unwritable.err.toStdString();
    EXPECT_FALSE(unwritable.out.contains("Estimating")) << unwritable.out.toStdString();
}

TEST_F(FitCommand, AFileThatCannotBeWrittenIsAnError)
{
    const QString out = dir + "/blocked";
    ASSERT_TRUE(QDir().mkpath(out + "/estimates.csv"));
    const ToolRun run = mock({"fit", "--model", "M.s.2B", "--out", out});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("estimates.csv")) << run.err.toStdString();
}

TEST_F(FitCommand, AllZeroCountsAreNothingToFit)
{
    writeFile(counts, "1 3 1\n0\n0\n0\n\n0\n0 0\n0 0\n");
    const ToolRun fit = mock({"fit"});
    EXPECT_EQ(fit.exitCode, 1);
    EXPECT_TRUE(fit.err.contains("There is nothing to fit: no release has any fish."))
        << fit.err.toStdString();
    EXPECT_FALSE(fit.out.contains("Model Comparison")) << fit.out.toStdString();
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

} // namespace
