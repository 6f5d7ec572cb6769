#include "StudyToolFixture.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace rivulet::test {
namespace {

using NextDetectionsCommand = StudyToolFixture;

TEST_F(NextDetectionsCommand, SampleStudyGivesTheCountsItsHistoriesImplyAndReadsBackTheSame)
{
    const QString db = sampleDatabase();
    ASSERT_FALSE(db.isEmpty());
    const QString written = TestEnvironment::freshDir("nd-sample") + "/counts.txt";
    const ToolRun run = runTool({"--db", db, "next-detections", "--write", written});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(fileContents(written), fileContents(sample("counts.txt")));

    // Read back, the counts are the same study with the same summary. Release labels are the only
    // thing the file does not carry.
    const QString dir = QFileInfo(written).path();
    const QStringList fromDb{"--db", db};
    const QStringList fromFile{"--db", dir + "/settings.db", "--mock", written};
    const auto withoutLabels = [](const QString& file) {
        static const QRegularExpression label("\"label\": *\"[^\"]*\"");
        return QString::fromUtf8(fileContents(file)).remove(label);
    };
    ASSERT_EQ(runTool(fromDb + QStringList{"summary", "--json", dir + "/db.json"}).exitCode, 0);
    ASSERT_EQ(runTool(fromFile + QStringList{"summary", "--json", dir + "/file.json"}).exitCode, 0);
    const QString summary = withoutLabels(dir + "/db.json");
    ASSERT_TRUE(summary.contains("\"transitionCells\"")) << summary.toStdString();
    EXPECT_EQ(withoutLabels(dir + "/file.json"), summary);
}

// A malformed or missing counts file fails with what a user can act on, and writes nothing;
// bad arguments are usage errors.
TEST_F(NextDetectionsCommand, RefusesBadInputArgumentsAndUnwritableFiles)
{
    const QString dir = TestEnvironment::freshDir("nd-refused");
    writeFile(dir + "/bad.txt", "1 3 1  # one release\n0\n0\n10\n\n4\n3\nx\n");
    const ToolRun run =
        runTool({"--mock", dir + "/bad.txt", "next-detections", "--write", dir + "/out.txt"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("integer expected at line 8, column 1")) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir + "/out.txt"));
    const ToolRun missing = runTool({"--mock", dir + "/none.txt", "next-detections"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("No such file")) << missing.err.toStdString();

    const QString mock = sample("counts.txt");
    EXPECT_EQ(runTool({"--mock", mock, "next-detections", "extra"}).exitCode, 2);
}

} // namespace
} // namespace rivulet::test
