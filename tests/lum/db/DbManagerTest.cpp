#include "TestDbManager.h"

#include "common/TestEnvironment.h"
#include "lum/db/SqliteDb.h"

#include <gtest/gtest.h>

using lum::test::countRows;
using lum::test::indexNames;
using lum::test::TestDbManager;
using rivulet::test::TestEnvironment;

namespace {

QString freshPath()
{
    return TestEnvironment::freshDir("manager") + "/test.db";
}

// Missing tables are made with their indexes; "items" already exists, with a column the model
// does not know and no indexes, and stays as it is.
TEST(DbManager, openCreatesMissingTablesWithTheirIndexesAndLeavesExistingOnes)
{
    const QString path = freshPath();
    {
        lum::SqliteDb db;
        ASSERT_TRUE(db.open(path));
        ASSERT_TRUE(db.exec("CREATE TABLE items (id INTEGER PRIMARY KEY, extra TEXT)"));
        ASSERT_TRUE(db.exec("INSERT INTO items (extra) VALUES (?)", {QString("old")}));
    }
    TestDbManager manager;
    ASSERT_TRUE(manager.open(path));
    const lum::SqliteDb& db = *manager.database();
    EXPECT_EQ(db.tables(), QStringList({"items", "notes"}));
    EXPECT_EQ(indexNames(db), QStringList({"idx_notes_id", "idx_notes_name"}));
    const lum::TableData rows(db, "SELECT extra FROM items");
    ASSERT_EQ(rows.numRows(), 1);
    EXPECT_EQ(rows.stringValue(0, 0), "old");
    EXPECT_TRUE(TestDbManager::isValidDatabase(path));
}

// The manager's failures carry the database's reason as a database error, and nothing is made.
TEST(DbManager, aPathThatCannotHoldADatabaseOrNoOpenFileFailsWithTheReason)
{
    const QString dir = TestEnvironment::freshDir("manager-refused");
    TestDbManager manager;
    const lum::Expected<void> opened = manager.open(dir);
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.error().code, lum::JobError::Database);
    EXPECT_EQ(opened.error().text(), "The file \"" + dir + "\" is not a SQLite database.");
    EXPECT_EQ(opened.error().where, dir);
    EXPECT_FALSE(manager.database()->isOpen());

    const lum::Expected<void> reset = manager.resetTables({});
    ASSERT_FALSE(reset);
    EXPECT_EQ(reset.error().text(), "The database is not open.");
    EXPECT_FALSE(manager.createTables());
}

TEST(DbManager, resetTablesKeepsTheListedTables)
{
    TestDbManager manager;
    ASSERT_TRUE(manager.open(freshPath()));
    lum::SqliteDb& db = *manager.database();
    ASSERT_TRUE(db.exec("INSERT INTO items (name, qty) VALUES (?, ?)", {QString("a"), 1}));
    ASSERT_TRUE(db.exec("INSERT INTO notes (name, qty) VALUES (?, ?)", {QString("k"), 2}));

    ASSERT_TRUE(manager.resetTables({&manager.items()}));
    EXPECT_EQ(countRows(db, "items"), 1);
    EXPECT_EQ(countRows(db, "notes"), 0);
    EXPECT_EQ(manager.items().resets, 0);
    EXPECT_EQ(manager.notes().resets, 1);
    // The recreated table has no indexes; the kept one keeps its own.
    EXPECT_EQ(indexNames(db), QStringList({"idx_items_id", "idx_items_name"}));

    // A table that went missing is created again.
    ASSERT_TRUE(db.dropTable(manager.notes()));
    ASSERT_TRUE(manager.resetTables({}));
    EXPECT_EQ(countRows(db, "items"), 0);
    EXPECT_EQ(db.tables(), QStringList({"items", "notes"}));
}

} // namespace
