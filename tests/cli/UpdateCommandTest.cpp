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

// The sample from its database and from its counts file (which leaves the database alone);
// its release summary as JSON.
TEST_F(UpdateCommand, PrintsTheSampleStudyFromTheDatabaseOrTheCountsFile)
{
    const QString db = sampleDatabase();
    ASSERT_FALSE(db.isEmpty());
    const QString dir = TestEnvironment::freshDir("update");
    const ToolRun stored = runTool({"--db", db, "update"});
    const ToolRun mock =
        runTool({"--db", dir + "/never.db", "--mock", sample("counts.txt"), "update"});
    EXPECT_FALSE(QFile::exists(dir + "/never.db"));
    for (const auto& [run, releases] : {std::pair{stored, "ALD(UPR|MID|PND)"}, {mock, "S[123]"}}) {
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.out.count(QRegExp(QString("\\n  %1 200[89] +2000 fish").arg(releases))), 6)
            << run.out.toStdString();
        EXPECT_EQ(linesAfter(run.out, "Sites:"), QStringList{"10"});
        EXPECT_EQ(linesAfter(run.out, "Years:"), QStringList{"3"});
        EXPECT_EQ(linesAfter(run.out, "Data class:"), QStringList{"3"});
        EXPECT_EQ(run.out.count(QRegularExpression(
                      "\n(Each release|First group|Second group|Pooled) estimable: (yes|no)\n")),
                  4);
    }

    const ToolRun json = runTool({"--db", db, "summary", "--json", dir + "/summary.json"});
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    const QJsonObject root = QJsonDocument::fromJson(fileContents(dir + "/summary.json")).object();
    EXPECT_EQ(root.value("dataClass").toInt(-1), 3);
    const QJsonArray releases = root.value("releases").toArray();
    ASSERT_EQ(releases.size(), 6);
    EXPECT_EQ(releases.first().toObject().value("label").toString(), "ALDUPR 2008");
}

// Every fish of the sample took some path its release summary leaves free, so the likelihood
// is finite where the optimizer starts.
TEST_F(UpdateCommand, TheLikelihoodOfTheSampleIsFiniteAtTheStartVector)
{
    const QString db = sampleDatabase();
    ASSERT_FALSE(db.isEmpty());
    const ToolRun fit = runTool({"--db", db, "fit"});
    const QString start =
        QRegularExpression("beginning function value: (\\S+)").match(fit.out).captured(1);
    bool ok = false;
    const double value = start.toDouble(&ok);
    EXPECT_TRUE(ok && std::isfinite(value)) << fit.out.toStdString() << fit.err.toStdString();
    EXPECT_LT(value, 1e300) << "the largest double stands for an impossible observation";
}

} // namespace
} // namespace rivulet::test
