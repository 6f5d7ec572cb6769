#include "StudyToolFixture.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace rivulet::test {
namespace {

using ReportOutputs = StudyToolFixture;

TEST_F(ReportOutputs, ReleaseSummaryAsTextAndAsHtml)
{
    const QString db = sampleDatabase();
    ASSERT_FALSE(db.isEmpty());
    const Run text = tool({"--db", db, "report", "releases"});
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_TRUE(text.out.startsWith("Releases:\n")) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains(QRegularExpression("\\nRelease +Site +Year +Count\\n")))
        << text.out.toStdString();
    const QRegularExpression row("\\nALD(UPR|MID|PND) 200[89] +ALD(UPR|MID|PND) +200[89] +2000\\n");
    EXPECT_EQ(text.out.count(row), 6) << text.out.toStdString();

    const QString file = TestEnvironment::freshDir("releases-html") + "/new/releases.html";
    const Run html = tool({"--db", db, "report", "releases", "--html", file});
    ASSERT_EQ(html.exitCode, 0) << html.err.toStdString();
    EXPECT_TRUE(html.out.contains("File \"" + file + "\" created.")) << html.out.toStdString();
    EXPECT_EQ(QString::fromUtf8(contents(file)).count(QRegularExpression(">2000<")), 6);
}

TEST_F(ReportOutputs, ReleaseSummaryRefusesBadArgumentsAndUnwritableFiles)
{
    const QString counts = sample("counts.txt");
    EXPECT_EQ(tool({"--mock", counts, "report"}).exitCode, 2);
    EXPECT_EQ(tool({"--mock", counts, "report", "models"}).exitCode, 2);
    EXPECT_EQ(tool({"--mock", counts, "report", "releases", "--html"}).exitCode, 2);

    // A folder that cannot be made: its parent is a file.
    const QString dir = TestEnvironment::freshDir("releases-unwritable");
    write(dir + "/plain", "not a folder");
    const QString target = dir + "/plain/releases.html";
    const Run run = tool({"--mock", counts, "report", "releases", "--html", target});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("error:")) << run.err.toStdString();
    EXPECT_FALSE(run.out.contains("created")) << run.out.toStdString();
    EXPECT_FALSE(QFileInfo::exists(target));
}

} // namespace
} // namespace rivulet::test
