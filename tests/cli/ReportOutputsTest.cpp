#include "StudyToolFixture.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <sys/stat.h>

namespace rivulet::test {
namespace {

using ReportOutputs = StudyToolFixture;

TEST_F(ReportOutputs, ReleaseSummaryAsTextAndAsHtml)
{
    const QString db = sampleDatabase();
    ASSERT_FALSE(db.isEmpty());
    const ToolRun text = runTool({"--db", db, "report", "releases"});
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_TRUE(text.out.startsWith("Releases:\n")) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains(QRegularExpression("\\nRelease +Site +Year +Count\\n")));
    const QRegularExpression row("\\nALD(UPR|MID|PND) 200[89] +ALD(UPR|MID|PND) +200[89] +2000\\n");
    EXPECT_EQ(text.out.count(row), 6) << text.out.toStdString();

    const QString file = TestEnvironment::freshDir("releases-html") + "/new/releases.html";
    const ToolRun html = runTool({"--db", db, "report", "releases", "--html", file});
    ASSERT_EQ(html.exitCode, 0) << html.err.toStdString();
    EXPECT_TRUE(html.out.contains("File \"" + file + "\" created.")) << html.out.toStdString();
    EXPECT_EQ(QString::fromUtf8(fileContents(file)).count(QRegularExpression(">2000<")), 6);

    EXPECT_EQ(runTool({"--db", db, "report", "models"}).exitCode, 2);
}

// A pipe named as an output was replaced by a regular file, exit 0; "-" is standard output.
TEST_F(ReportOutputs, OnlyRegularFilesOrStandardOutputTakeAnOutput)
{
    const QString db = sampleDatabase();
    ASSERT_FALSE(db.isEmpty());
    const QString fifo = TestEnvironment::freshDir("outputs-fifo") + "/pipe";
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QList<QStringList> commands = {{"summary", "--json", fifo},
                                         {"next-detections", "--write", fifo},
                                         {"report", "releases", "--html", fifo}};
    for (const QStringList& command : commands) {
        const ToolRun run = runTool(QStringList{"--db", db} + command);
        EXPECT_EQ(run.exitCode, 1) << command.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("not a regular file")) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("\"-\" for standard output")) << run.err.toStdString();
        EXPECT_FALSE(QFileInfo(fifo).isFile());
    }
    const ToolRun json = runTool({"--db", db, "summary", "--json", "-"});
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_TRUE(json.out.contains("\"eachReleaseEstimable\": true")) << json.out.toStdString();
}

} // namespace
} // namespace rivulet::test
