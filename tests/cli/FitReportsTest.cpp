// Runs "fit --out" on simulated counts and reads the reports it writes for the reported
// model.
#include "ReportTables.h"
#include "StudyToolFixture.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace rivulet::test {
namespace {

class FitReports : public MockCountsFixture
{
protected:
    static std::vector<std::vector<QStringList>> tablesOf(const QString& path)
    {
        return reportTables(QString::fromUtf8(contents(path)));
    }

    static QStringList lines(const QString& path)
    {
        return QString::fromUtf8(contents(path)).split('\n');
    }

    static bool hasNonFinite(const QString& path)
    {
        static const QRegularExpression pattern(QStringLiteral("\\b(nan|inf)\\b"),
                                                QRegularExpression::CaseInsensitiveOption);
        return pattern.match(QString::fromUtf8(contents(path))).hasMatch();
    }
};

const QStringList kReportFiles = {"survival.html", "survival.csv",     "capture.html",
                                  "capture.csv",   "performance.html", "performance.csv",
                                  "releases.html"};

TEST_F(FitReports, WritesEveryReportOfTheBestModel)
{
    const QString out = dir + "/run";
    const Run run = mock({"fit", "--out", out});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("Reports of model M.s.2B:")) << run.out.toStdString();
    for (const QString& name : kReportFiles) {
        const QString path = out + "/" + name;
        ASSERT_TRUE(QFileInfo::exists(path)) << name.toStdString();
        EXPECT_TRUE(run.out.contains("File \"" + QDir(out).filePath(name) + "\" created."))
            << name.toStdString();
        EXPECT_FALSE(hasNonFinite(path)) << name.toStdString();
    }

    EXPECT_TRUE(lines(out + "/survival.csv").contains("Model:,M.s.2B"));
    EXPECT_EQ(lines(out + "/capture.csv").value(0), "Capture Parameter Estimates");
    EXPECT_EQ(lines(out + "/performance.csv").value(0), "Performance Measures");

    // Five sites (named S1 to S5 in a counts file): the cohort table has a column per site before
    // the final one, a row per release; the second release starts at site 1.
    const auto performance = tablesOf(out + "/performance.html");
    ASSERT_GE(performance.size(), 2u);
    ASSERT_EQ(performance[0].size(), 4u);
    EXPECT_EQ(performance[0][1], (QStringList{"Release", "S2", "S3", "S4"}));
    EXPECT_EQ(performance[0][2].at(0), "S1 Sub-Yearlings (2008)");
    EXPECT_EQ(performance[0][3].at(1), "");
    const QRegularExpression value(QStringLiteral("^0\\.\\d{4} \\(0\\.\\d{4}\\)$"));
    EXPECT_TRUE(value.match(performance[0][3].at(2)).hasMatch())
        << performance[0][3].at(2).toStdString();

    const auto releases = tablesOf(out + "/releases.html");
    ASSERT_EQ(releases.size(), 1u);
    EXPECT_EQ(releases[0].size(), 3u);
    EXPECT_EQ(releases[0][1].at(3), "1500");
}

TEST_F(FitReports, NamedModelAndPrecisions)
{
    const QString out = dir + "/named";
    const Run run = mock({"fit", "--out", out, "--report-model", "M.s.1A", "--precision-est=2",
                          "--precision-err", "3"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(lines(out + "/survival.csv").contains("Model:,M.s.1A"));
    const auto capture = tablesOf(out + "/capture.html");
    ASSERT_EQ(capture.size(), 2u);
    const QRegularExpression value(QStringLiteral("^\\d\\.\\d{2} \\(\\d\\.\\d{3}\\)$"));
    EXPECT_TRUE(value.match(capture[0][1].at(1)).hasMatch()) << capture[0][1].at(1).toStdString();
}

TEST_F(FitReports, BadReportOptionsFailBeforeAnyFit)
{
    for (const QStringList& arguments :
         {QStringList{"--precision-est", "many"}, QStringList{"--precision-err=-1"},
          QStringList{"--precision-est"}, QStringList{"--report-model="},
          QStringList{"--best-by", "BIC"}}) {
        const Run run = mock(QStringList{"fit", "--out", dir + "/bad"} + arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_FALSE(run.out.contains("Fitting model"));
    }
    const Run unknown = mock({"fit", "--out", dir + "/bad", "--report-model", "M.ys.1A"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.contains("unknown model \"M.ys.1A\"")) << unknown.err.toStdString();
    EXPECT_FALSE(unknown.out.contains("Fitting model"));
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

TEST_F(FitReports, AverageWritesIntervalsWeightsMeasuresAndAveragedEstimates)
{
    const QString out = dir + "/average";
    const Run run = mock({"fit", "--average", "--out", out});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("AICc")) << run.out.toStdString();

    // n = 1500 + 1500 fish released; the fields from the end: num_params, log_likelihood,
    // aic, best, aicc, delta_aicc, weight.
    const QString comparison = QString::fromUtf8(contents(out + "/comparison.csv"));
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

    const auto estimates = csvRows(QString::fromUtf8(contents(out + "/estimates.csv")));
    ASSERT_FALSE(estimates.empty());
    int firstModelPhi = 0;
    for (const QStringList& row : estimates) {
        ASSERT_EQ(row.size(), 12) << row.join(',').toStdString();
        expectInterval(row, 7, 10);
        firstModelPhi += row.at(0) == estimates.front().at(0) && row.at(1) == "phi" ? 1 : 0;
    }

    const auto measures = csvRows(QString::fromUtf8(contents(out + "/measures.csv")));
    ASSERT_FALSE(measures.empty());
    for (const QStringList& row : measures) {
        ASSERT_EQ(row.size(), 9) << row.join(',').toStdString();
        expectInterval(row, 5, 7);
    }
    EXPECT_EQ(measures.front().mid(1, 3),
              (QStringList{"cohort_survival", "S1 Sub-Yearlings (2008)", "S2"}));

    // Every model has every parameter of the data's index space.
    const auto averaged = csvRows(QString::fromUtf8(contents(out + "/averaged.csv")));
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

    const Run byAicc = mock({"fit", "--best-by", "aicc"});
    ASSERT_EQ(byAicc.exitCode, 0) << byAicc.err.toStdString();
    EXPECT_TRUE(byAicc.out.contains("(* lowest AICc)")) << byAicc.out.toStdString();
}

TEST_F(FitReports, AModelThatWasNotFittedHasNoReports)
{
    const QString out = dir + "/unfitted";
    const Run run = mock({"fit", "--out", out, "--model", "M.s.2B", "--report-model", "M.s.1A"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("Model \"M.s.1A\" was not estimated")) << run.err.toStdString();
    for (const QString& name : kReportFiles)
        EXPECT_FALSE(QFileInfo::exists(out + "/" + name)) << name.toStdString();
}

TEST_F(FitReports, AReportThatCannotBeWrittenIsAnError)
{
    const QString out = dir + "/blocked";
    ASSERT_TRUE(QDir().mkpath(out + "/performance.html"));
    const Run run = mock({"fit", "--out", out});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("performance.html")) << run.err.toStdString();
    EXPECT_FALSE(run.out.contains("performance.html\" created")) << run.out.toStdString();
    EXPECT_FALSE(QFileInfo::exists(out + "/releases.html"));
}

} // namespace
} // namespace rivulet::test
