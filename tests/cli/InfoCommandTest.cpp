// Runs the built tool, so that every case opens its database in a process
// of its own, as a user's run does.
#include "StudyToolFixture.h"
#include "common/TestEnvironment.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>

#include <gtest/gtest.h>

namespace {

using rivulet::test::runTool;
using rivulet::test::TestEnvironment;
using rivulet::test::ToolRun;

// Names of the schema objects of a database file, read with a connection of
// the test's own.
QStringList schemaNames(const QString& file, const QString& type)
{
    const QString name = QUuid::createUuid().toString();
    QStringList names;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
        db.setDatabaseName(file);
        if (db.open()) {
            QSqlQuery query(db);
            query.prepare("SELECT name FROM sqlite_master WHERE type = ? AND name NOT LIKE "
                          "'sqlite%' ORDER BY name");
            query.addBindValue(type);
            query.exec();
            while (query.next())
                names.append(query.value(0).toString());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return names;
}

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

TEST(InfoCommand, MissingFileBecomesADatabaseWithTheWholeSchema)
{
    const QString file = TestEnvironment::freshDir("info-new") + "/new/folder/Study.db";
    const ToolRun run = runTool({"--db", file, "info"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    ASSERT_TRUE(QFileInfo::exists(file));
    EXPECT_EQ(schemaNames(file, "table"), (QStringList{"cohorts", "observations", "releases",
                                                       "settings", "sites", "tags", "years"}));
    EXPECT_EQ(schemaNames(file, "index").size(), 14);

    EXPECT_TRUE(run.out.contains("Database: " + file + "\n"));
    // A new database holds only its version in the settings table.
    EXPECT_TRUE(run.out.contains(QRegularExpression("\n  settings +1 row\n")));
    EXPECT_TRUE(run.out.contains(QRegularExpression("\n  observations +0 rows\n")));
    EXPECT_TRUE(run.out.contains(QRegularExpression("\n   7 db_version +1 +database\n")));
    EXPECT_TRUE(run.out.contains(QRegularExpression("\n  12 precision_est +\\d+ +per-user\n")));
    EXPECT_TRUE(run.out.contains(QRegularExpression("\n   8 estimation_ending_criterion +0.0001 "
                                                    "+database\n")));
}

TEST(InfoCommand, ExistingDatabaseIsOpenedAsItIs)
{
    const QString file = TestEnvironment::freshDir("info-again") + "/Rivulet.db";
    ASSERT_EQ(runTool({"--db", file, "info"}).exitCode, 0);
    const ToolRun again = runTool({"--db=" + file, "info"});
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_TRUE(again.out.contains(QRegularExpression("\n  settings +1 row\n")));
    EXPECT_EQ(schemaNames(file, "index").size(), 14);
}

TEST(InfoCommand, FileThatIsNotADatabaseFailsAndStaysIntact)
{
    const QString file = TestEnvironment::freshDir("info-text") + "/notes.db";
    {
        QFile text(file);
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write("These are field notes, not a database.\n");
    }
    const QByteArray before = fileHash(file);
    const qint64 size = QFileInfo(file).size();
    const ToolRun run = runTool({"--db", file, "info"});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.err.startsWith("error: ")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(file)) << run.err.toStdString();
    EXPECT_FALSE(run.out.contains("Tables:"));
    EXPECT_EQ(fileHash(file), before);
    EXPECT_EQ(QFileInfo(file).size(), size);
}

TEST(InfoCommand, FolderThatCannotBeCreatedFailsNamingTheFile)
{
    const QString dir = TestEnvironment::freshDir("info-blocked");
    {
        QFile blocker(dir + "/blocker");
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    const QString file = dir + "/blocker/sub/Rivulet.db";
    const ToolRun run = runTool({"--db", file, "info"});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.err.startsWith("error: ")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(file)) << run.err.toStdString();
    EXPECT_EQ(QFileInfo(dir + "/blocker").size(), 0);
}

TEST(InfoCommand, FolderGivenAsDatabaseFails)
{
    const QString dir = TestEnvironment::freshDir("info-dir");
    const ToolRun run = runTool({"--db", dir, "info"});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.err.contains(dir)) << run.err.toStdString();
}

} // namespace
