#include "StudyToolFixture.h"

#include <QRegularExpression>

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

} // namespace
} // namespace rivulet::test
