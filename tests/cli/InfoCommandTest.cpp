// Runs the built tool, so that every case opens its database in a process of its own, as a
// user's run does.
#include "StudyToolFixture.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

using rivulet::test::runTool;
using rivulet::test::TestEnvironment;
using rivulet::test::ToolRun;
using rivulet::test::writeFile;

// A missing file becomes a new database, which opens again as it is; a file that is not a
// database fails naming it and stays as it was.
TEST(InfoCommand, MissingFileBecomesANewDatabaseAndAFileThatIsNotOneIsLeftAlone)
{
    const QString dir = TestEnvironment::freshDir("info");
    const QString file = dir + "/new/folder/Study.db";
    for (const QStringList& db : {QStringList{"--db", file}, QStringList{"--db=" + file}}) {
        const ToolRun run = runTool(db + QStringList{"info"});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        ASSERT_TRUE(QFileInfo::exists(file));
        EXPECT_TRUE(run.out.contains("Database: " + file + "\n"));
        // A new database holds only its version in the settings table.
        EXPECT_TRUE(run.out.contains(QRegularExpression("\n  settings +1 row\n")));
    }
    const QByteArray notes = "These are field notes, not a database.\n";
    writeFile(dir + "/notes.db", notes);
    const ToolRun run = runTool({"--db", dir + "/notes.db", "info"});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.err.startsWith("error: ")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(dir + "/notes.db")) << run.err.toStdString();
    EXPECT_EQ(rivulet::test::fileContents(dir + "/notes.db"), notes);
}

} // namespace
