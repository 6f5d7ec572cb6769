#include "TestDbManager.h"

#include "common/TestEnvironment.h"
#include "lum/db/SqlStatement.h"
#include "lum/db/SqliteDb.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using lum::test::TestDbManager;
using rivulet::test::TestEnvironment;

namespace {

QString freshPath()
{
    return TestEnvironment::freshDir("manager") + "/test.db";
}

TEST(DbManager, openCreatesTablesWithTheirIndexes)
{
    TestDbManager manager;
    const QString path = freshPath();
    ASSERT_EQ(manager.open(path), 0);
    EXPECT_EQ(manager.registrations, 1);
    EXPECT_EQ(manager.models(), QList<lum::DbModel*>({&manager.items(), &manager.notes()}));
    const lum::SqliteDb& db = *manager.database();
    EXPECT_EQ(db.tables(), QStringList({"items", "notes"}));
    EXPECT_EQ(lum::test::indexNames(db),
              QStringList({"idx_items_id", "idx_items_name", "idx_notes_key"}));
    EXPECT_TRUE(manager.connection().isOpen());
    EXPECT_TRUE(TestDbManager::isValidDatabase(path));
}

TEST(DbManager, existingTablesAreLeftAsTheyAre)
{
    const QString path = freshPath();
    {
        lum::SqliteDb db;
        ASSERT_EQ(db.open(path), 0);
        // "items" with a column the model does not know, and no indexes.
        ASSERT_EQ(db.exec("CREATE TABLE items (id INTEGER PRIMARY KEY, extra TEXT)"), 0);
        ASSERT_EQ(db.exec("INSERT INTO items (extra) VALUES (?)", {QString("old")}), 0);
    }
    TestDbManager manager;
    ASSERT_EQ(manager.open(path), 0);
    const lum::SqliteDb& db = *manager.database();
    EXPECT_EQ(lum::test::indexNames(db), QStringList({"idx_notes_key"}));
    const lum::TableData rows(db, "SELECT extra FROM items");
    ASSERT_EQ(rows.numRows(), 1);
    EXPECT_EQ(rows.stringValue(0, 0), "old");
}

TEST(DbManager, failedOpenIsReportedAndNothingIsWritten)
{
    const QString dir = TestEnvironment::freshDir("manager");
    const QString path = dir + "/Rivulet.db";
    const QByteArray bytes = "tag,site,time\nABC,SITE,2012-04-23 14:05:00\n";
    lum::test::writeFile(path, bytes);
    EXPECT_FALSE(TestDbManager::isValidDatabase(path));

    TestDbManager manager;
    EXPECT_EQ(manager.open(path), 1);
    EXPECT_TRUE(manager.lastError().text().contains(path));
    EXPECT_EQ(manager.createTables(), -1);
    EXPECT_EQ(lum::test::fileBytes(path), bytes);
    // The models are there even so, for code that only reads names.
    EXPECT_NE(manager.model(TestDbManager::Notes), nullptr);
}

TEST(DbManager, resetTablesKeepsTheListedTables)
{
    TestDbManager manager;
    ASSERT_EQ(manager.open(freshPath()), 0);
    lum::SqliteDb& db = *manager.database();
    ASSERT_EQ(db.exec("INSERT INTO items (name, qty) VALUES (?, ?)", {QString("a"), 1}), 0);
    ASSERT_EQ(db.exec("INSERT INTO notes (key, body) VALUES (?, ?)", {QString("k"), QString("b")}),
              0);

    ASSERT_EQ(manager.resetTables({&manager.items()}), 0);
    EXPECT_EQ(lum::test::countRows(db, "items"), 1);
    EXPECT_EQ(lum::test::countRows(db, "notes"), 0);
    EXPECT_EQ(manager.items().resets, 0);
    EXPECT_EQ(manager.notes().resets, 1);
    // The recreated table has no indexes; the kept one keeps its own.
    EXPECT_EQ(lum::test::indexNames(db), QStringList({"idx_items_id", "idx_items_name"}));

    ASSERT_EQ(manager.resetTables({}), 0);
    EXPECT_EQ(lum::test::countRows(db, "items"), 0);
    EXPECT_EQ(db.tables(), QStringList({"items", "notes"}));
    EXPECT_TRUE(lum::test::indexNames(db).isEmpty());
    EXPECT_EQ(manager.items().resets, 1);

    // A table that went missing is created again.
    ASSERT_EQ(db.dropTable(manager.notes()), 0);
    ASSERT_EQ(manager.resetTables({&manager.items()}), 0);
    EXPECT_TRUE(db.tableExists(manager.notes()));
}

} // namespace
