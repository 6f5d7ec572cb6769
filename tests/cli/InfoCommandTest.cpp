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

TEST(InfoCommand, MissingFileBecomesANewDatabaseThatOpensAgainAsItIs)
{
    const QString file = TestEnvironment::freshDir("info-new") + "/new/folder/Study.db";
    const ToolRun run = runTool({"--db", file, "info"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    ASSERT_TRUE(QFileInfo::exists(file));
    EXPECT_TRUE(run.out.contains("Database: " + file + "\n"));
    // A new database holds only its version in the settings table.
    EXPECT_TRUE(run.out.contains(QRegularExpression("\n  settings +1 row\n")));
    EXPECT_TRUE(run.out.contains(QRegularExpression("\n  observations +0 rows\n")));
    EXPECT_TRUE(run.out.contains(QRegularExpression("\n   7 db_version +1 +database\n")));
    EXPECT_TRUE(run.out.contains(QRegularExpression("\n  12 precision_est +\\d+ +per-user\n")));
    const ToolRun again = runTool({"--db=" + file, "info"});
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_TRUE(again.out.contains(QRegularExpression("\n  settings +1 row\n")));
}

// A file that is not a database stays as it was; a folder that cannot be made or a folder
// given as the database fails naming the file.
TEST(InfoCommand, WhatCannotBeADatabaseFailsNamingItAndIsLeftAlone)
{
    const QString dir = TestEnvironment::freshDir("info-refused");
    const QByteArray notes = "These are field notes, not a database.\n";
    writeFile(dir + "/notes.db", notes);
    writeFile(dir + "/blocker", "");
    for (const QString& file :
         QStringList{dir + "/notes.db", dir + "/blocker/sub/Rivulet.db", dir}) {
        const ToolRun run = runTool({"--db", file, "info"});
        EXPECT_NE(run.exitCode, 0) << file.toStdString();
        EXPECT_TRUE(run.err.startsWith("error: ")) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(file)) << run.err.toStdString();
        EXPECT_FALSE(run.out.contains("Tables:"));
    }
    EXPECT_EQ(rivulet::test::fileContents(dir + "/notes.db"), notes);
    EXPECT_EQ(QFileInfo(dir + "/blocker").size(), 0);
}

} // namespace
