#include "ReportTables.h"
#include "StudyToolFixture.h"

#include <QFileInfo>

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
    EXPECT_TRUE(text.out.contains(QRegExp("\\nRelease +Site +Year +Count\\n")))
        << text.out.toStdString();
    EXPECT_EQ(text.out.count(QRegExp("\\nALD(UPR|MID|PND) 200[89] +ALD(UPR|MID|PND) +200[89] "
                                     "+2000\\n")),
              6)
        << text.out.toStdString();

    const QString file = TestEnvironment::freshDir("releases-html") + "/new/releases.html";
    const Run html = tool({"--db", db, "report", "releases", "--html", file});
    ASSERT_EQ(html.exitCode, 0) << html.err.toStdString();
    EXPECT_TRUE(html.out.contains("File \"" + file + "\" created.")) << html.out.toStdString();
    const auto tables = reportTables(QString::fromUtf8(contents(file)));
    ASSERT_EQ(tables.size(), 1u);
    ASSERT_EQ(tables[0].size(), 7u);
    EXPECT_EQ(tables[0][0], (QStringList{"Release", "Site", "Year", "Count"}));
    for (std::size_t r = 1; r < 7; ++r)
        EXPECT_EQ(tables[0][r].at(3), "2000") << r;
}

TEST_F(ReportOutputs, ReleaseSummaryRefusesBadArgumentsAndUnwritableFiles)
{
    EXPECT_EQ(tool({"--mock", sample("counts.txt"), "report"}).exitCode, 2);
    EXPECT_EQ(tool({"--mock", sample("counts.txt"), "report", "models"}).exitCode, 2);
    EXPECT_EQ(tool({"--mock", sample("counts.txt"), "report", "releases", "--html"}).exitCode, 2);

    // A folder that cannot be made: its parent is a file.
    const QString dir = TestEnvironment::freshDir("releases-unwritable");
    write(dir + "/plain", "not a folder");
    const QString target = dir + "/plain/releases.html";
    const Run run = tool({"--mock", sample("counts.txt"), "report", "releases", "--html", target});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("error:")) << run.err.toStdString();
    EXPECT_FALSE(run.out.contains("created")) << run.out.toStdString();
    EXPECT_FALSE(QFileInfo::exists(target));
}

} // namespace
} // namespace rivulet::test
