#include "StudyToolFixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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

TEST_F(UpdateCommand, PrintsTheSampleStudyAsTheUpdateLeavesIt)
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
    for (const char* indicator : {"Each release", "First group", "Second group", "Pooled"}) {
        const QStringList value = linesAfter(run.out, QString(indicator) + " estimable:");
        ASSERT_EQ(value.size(), 1) << indicator;
        EXPECT_TRUE(value.first() == "yes" || value.first() == "no") << indicator;
    }
}

TEST_F(UpdateCommand, WorksOnSimulatedDataWithoutADatabase)
{
    const QString dir = TestEnvironment::freshDir("update-mock");
    const Run run = tool({"--db", dir + "/never.db", "--mock", sample("counts.txt"), "update"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.count(QRegExp("\\n  S[123] 200[89] +2000 fish")), 6) << run.out.toStdString();
    EXPECT_EQ(linesAfter(run.out, "Sites:"), QStringList{"10"});
    EXPECT_EQ(linesAfter(run.out, "Data class:"), QStringList{"3"});
    EXPECT_FALSE(QFile::exists(dir + "/never.db"));
    EXPECT_EQ(tool({"--mock", sample("counts.txt"), "update", "now"}).exitCode, 2);
}

TEST_F(UpdateCommand, SummaryJsonDescribesEveryReleaseAndAgreesWithTheUpdate)
{
    const QString db = sampleDatabase();
    ASSERT_FALSE(db.isEmpty());
    const QString file = TestEnvironment::freshDir("summary-json") + "/summary.json";
    const Run run = tool({"--db", db, "summary", "--json", file});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(contents(file), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonObject root = document.object();
    EXPECT_EQ(root.value("dataClass").toInt(-1), 3);
    const QJsonArray releases = root.value("releases").toArray();
    ASSERT_EQ(releases.size(), 6);
    EXPECT_EQ(releases.first().toObject().value("label").toString(), "ALDUPR 2008");
    EXPECT_FALSE(releases.first().toObject().value("transitionCells").toArray().isEmpty());

    const Run update = tool({"--db", db, "update"});
    const auto yesNo = [&root](const char* key) {
        return root.value(key).toBool() ? QStringList{"yes"} : QStringList{"no"};
    };
    EXPECT_EQ(linesAfter(update.out, "Each release estimable:"), yesNo("eachReleaseEstimable"));
    EXPECT_EQ(linesAfter(update.out, "Second group estimable:"), yesNo("secondGroupEstimable"));
    EXPECT_EQ(linesAfter(update.out, "Pooled estimable:"), yesNo("pooledEstimable"));

    EXPECT_EQ(tool({"--db", db, "summary", "--csv", file}).exitCode, 2);
}

} // namespace
} // namespace rivulet::test
