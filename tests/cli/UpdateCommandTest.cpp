// The sample study (release sites in series above the first detection site, fish holding
// over on the way) as "update", "summary" and "fit" see it.
#include "StudyToolFixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cmath>

namespace rivulet::test {
namespace {

using UpdateCommand = StudyToolFixture;

// The lines of `text` that start with `prefix`, without it.
QStringList linesAfter(const QString& text, const QString& prefix)
{
    QStringList found;
    for (const QString& line : text.split('\n')) {
        if (line.startsWith(prefix))
            found << line.mid(prefix.size()).trimmed();
    }
    return found;
}

// The update's summary of the sample, and its release summary as JSON agreeing with it.
TEST_F(UpdateCommand, PrintsTheSampleStudyAndItsSummaryAsJson)
{
    const QString db = sampleDatabase();
    ASSERT_FALSE(db.isEmpty());
    const Run run = tool({"--db", db, "update"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(linesAfter(run.out, "Releases:"), QStringList{"6"});
    EXPECT_EQ(run.out.count(QRegExp("\\n  ALD(UPR|MID|PND) 200[89] +2000 fish")), 6)
        << run.out.toStdString();
    EXPECT_EQ(linesAfter(run.out, "Sites:"), QStringList{"10"});
    EXPECT_TRUE(run.out.contains("9 ESTTRW")) << run.out.toStdString();
    EXPECT_EQ(linesAfter(run.out, "Years:"), QStringList{"3"});
    EXPECT_TRUE(run.out.contains("\n  2008 2009 2010\n"));
    EXPECT_EQ(linesAfter(run.out, "Data class:"), QStringList{"3"});

    const QString file = TestEnvironment::freshDir("summary-json") + "/summary.json";
    const Run json = tool({"--db", db, "summary", "--json", file});
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    QJsonParseError error;
    const QJsonObject root = QJsonDocument::fromJson(contents(file), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    EXPECT_EQ(root.value("dataClass").toInt(-1), 3);
    const QJsonArray releases = root.value("releases").toArray();
    ASSERT_EQ(releases.size(), 6);
    EXPECT_EQ(releases.first().toObject().value("label").toString(), "ALDUPR 2008");
    EXPECT_FALSE(releases.first().toObject().value("transitionCells").toArray().isEmpty());
    for (const auto& [indicator, key] : {std::pair{"Each release", "eachReleaseEstimable"},
                                         {"First group", "firstGroupEstimable"},
                                         {"Second group", "secondGroupEstimable"},
                                         {"Pooled", "pooledEstimable"}})
        EXPECT_EQ(linesAfter(run.out, QString(indicator) + " estimable:"),
                  QStringList{root.value(key).toBool() ? "yes" : "no"})
            << indicator;
    EXPECT_EQ(tool({"--db", db, "summary", "--csv", file}).exitCode, 2);
}

TEST_F(UpdateCommand, WorksOnSimulatedDataWithoutADatabase)
{
    const QString dir = TestEnvironment::freshDir("update-mock");
    const Run run = tool({"--db", dir + "/never.db", "--mock", sample("counts.txt"), "update"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.count(QRegExp("\\n  S[123] 200[89] +2000 fish")), 6) << run.out.toStdString();
    EXPECT_EQ(linesAfter(run.out, "Data class:"), QStringList{"3"});
    EXPECT_FALSE(QFile::exists(dir + "/never.db"));
    EXPECT_EQ(tool({"--mock", sample("counts.txt"), "update", "now"}).exitCode, 2);
}

// Every fish of the sample took some path its release summary leaves free, so the likelihood
// is finite where the optimizer starts.
TEST_F(UpdateCommand, TheLikelihoodOfTheSampleIsFiniteAtTheStartVector)
{
    const QString db = sampleDatabase();
    ASSERT_FALSE(db.isEmpty());
    const Run fit = tool({"--db", db, "fit"});
    const QRegularExpressionMatch match =
        QRegularExpression("beginning function value: (\\S+)").match(fit.out);
    ASSERT_TRUE(match.hasMatch()) << fit.out.toStdString() << fit.err.toStdString();
    bool ok = false;
    const double value = match.captured(1).toDouble(&ok);
    ASSERT_TRUE(ok) << match.captured(1).toStdString();
    EXPECT_TRUE(std::isfinite(value));
    EXPECT_LT(value, 1e300) << "the largest double stands for an impossible observation";
}

} // namespace
} // namespace rivulet::test
