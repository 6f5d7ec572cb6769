#include "StudyToolFixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace rivulet::test {
namespace {

using NextDetectionsCommand = StudyToolFixture;

TEST_F(NextDetectionsCommand, SampleStudyGivesTheCountsItsHistoriesImply)
{
    const QString db = sampleDatabase();
    ASSERT_FALSE(db.isEmpty());
    const QString written = TestEnvironment::freshDir("nd-sample") + "/counts.txt";
    const Run run = tool({"--db", db, "next-detections", "--write", written});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(contents(written), contents(sample("counts.txt")));

    // Without a file the same text goes to standard output.
    const Run printed = tool({"--db", db, "next-detections"});
    ASSERT_EQ(printed.exitCode, 0) << printed.err.toStdString();
    EXPECT_EQ(printed.out.toUtf8(), contents(sample("counts.txt")));
}

// A malformed or missing counts file and an unwritable output file fail with what a user can
// act on; bad arguments are usage errors.
TEST_F(NextDetectionsCommand, RefusesBadInputArgumentsAndUnwritableFiles)
{
    const QString dir = TestEnvironment::freshDir("nd-refused");
    write(dir + "/bad.txt", "1 3 1  # one release\n0\n0\n10\n\n4\n3\nx\n");
    const Run run =
        tool({"--mock", dir + "/bad.txt", "next-detections", "--write", dir + "/out.txt"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("integer expected at line 8, column 1")) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir + "/out.txt"));
    const Run missing = tool({"--mock", dir + "/none.txt", "next-detections"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("No such file")) << missing.err.toStdString();

    const QString mock = sample("counts.txt");
    const Run unwritable =
        tool({"--mock", mock, "next-detections", "--write", dir + "/no/such/x.txt"});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_TRUE(unwritable.err.contains("Unable to open file")) << unwritable.err.toStdString();
    for (const QStringList& usage : {QStringList{"--write"}, QStringList{"extra"},
                                     QStringList{"--write", "a", "--write", "b"}})
        EXPECT_EQ(tool(QStringList{"--mock", mock, "next-detections"} + usage).exitCode, 2);
}

} // namespace
// A study read from the counts file it wrote is the same study: the same summary, the same
// fit list and the same estimates. Release labels are the only thing the file does not carry.
TEST_F(NextDetectionsCommand, TheSameStudyFromItsCountsFileGivesTheSameAnswers)
{
    const QString db = sampleDatabase();
    ASSERT_FALSE(db.isEmpty());
    const QString dir = TestEnvironment::freshDir("nd-same-study");
    const QString counts = dir + "/counts.txt";
    ASSERT_EQ(tool({"--db", db, "next-detections", "--write", counts}).exitCode, 0);
    const QStringList fromDb{"--db", db};
    const QStringList fromFile{"--db", dir + "/settings.db", "--mock", counts};

    const auto withoutLabels = [](const QByteArray& json) {
        QJsonObject root = QJsonDocument::fromJson(json).object();
        QJsonArray releases = root.value("releases").toArray();
        for (int i = 0; i < releases.size(); ++i) {
            QJsonObject release = releases.at(i).toObject();
            release.remove("label");
            releases.replace(i, release);
        }
        root.insert("releases", releases);
        return root;
    };
    ASSERT_EQ(tool(fromDb + QStringList{"summary", "--json", dir + "/db.json"}).exitCode, 0);
    ASSERT_EQ(tool(fromFile + QStringList{"summary", "--json", dir + "/file.json"}).exitCode, 0);
    const QJsonObject summary = withoutLabels(contents(dir + "/db.json"));
    ASSERT_FALSE(summary.value("releases").toArray().isEmpty());
    EXPECT_EQ(withoutLabels(contents(dir + "/file.json")), summary);

    const Run models = tool(fromDb + QStringList{"models"});
    ASSERT_EQ(models.exitCode, 0);
    EXPECT_EQ(tool(fromFile + QStringList{"models"}).out, models.out);

    // The estimates of the fit list's first model, without the release labels.
    const QRegularExpression fitted(QStringLiteral("^\\s+(\\S+)\\s+fit\\s"),
                                    QRegularExpression::MultilineOption);
    const QString model = fitted.match(models.out).captured(1);
    ASSERT_FALSE(model.isEmpty()) << models.out.toStdString();
    const auto estimates = [&](const QStringList& source, const QString& out) {
        const Run fit = tool(source + QStringList{"fit", "--model", model, "--out", out});
        EXPECT_EQ(fit.exitCode, 0) << fit.err.toStdString();
        QStringList rows;
        for (const QString& line :
             QString::fromUtf8(contents(out + "/estimates.csv")).split('\n')) {
            QStringList fields = line.split(',');
            if (fields.size() > 2)
                fields.removeAt(2);
            rows << fields.join(',');
        }
        return rows;
    };
    const QStringList fromDatabase = estimates(fromDb, dir + "/db");
    EXPECT_GT(fromDatabase.size(), 10);
    EXPECT_EQ(estimates(fromFile, dir + "/file"), fromDatabase);
}

} // namespace rivulet::test
