#include "TestDbManager.h"

#include "common/TestEnvironment.h"
#include "lum/db/DbTransaction.h"
#include "lum/db/SqlStatement.h"
#include "lum/db/SqliteDb.h"
#include "lum/db/StatementBinder.h"
#include "lum/db/TableData.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using lum::SqliteDb;
using lum::SqlStatement;
using lum::StatementBinder;
using lum::TableData;
using rivulet::test::TestEnvironment;

namespace {

class SqliteDbTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = TestEnvironment::freshDir("sqlite");
        path = dir + "/test.db";
        ASSERT_EQ(db.open(path), 0) << db.lastError().text().toStdString();
        ASSERT_EQ(db.createTable(items), 0);
    }

    int insertItem(const QString& name, int qty)
    {
        SqlStatement insert(db);
        db.prepareInsert(items, insert);
        StatementBinder binder(insert);
        binder.bind(1, name);
        binder.bind(2, qty);
        return insert.step();
    }

    QString dir;
    QString path;
    SqliteDb db;
    lum::test::ItemModel items;
};

TEST_F(SqliteDbTest, openCreatesFileAndFolders)
{
    SqliteDb other;
    const QString nested = dir + "/a/b/c/nested.db";
    ASSERT_EQ(other.open(nested), 0);
    EXPECT_TRUE(other.isOpen());
    EXPECT_TRUE(QFileInfo(nested).isFile());
    EXPECT_EQ(other.path(), QFileInfo(nested).absoluteFilePath());
    EXPECT_TRUE(other.tables().isEmpty());
    EXPECT_EQ(SqliteDb::defaultDatabase(), &other);
    other.close();
    EXPECT_FALSE(other.isOpen());
    EXPECT_EQ(SqliteDb::defaultDatabase(), &db);
    EXPECT_EQ(other.exec("SELECT 1"), 1);
}

TEST_F(SqliteDbTest, refusesAFileThatIsNotADatabaseAndLeavesItAlone)
{
    const QByteArray content("id,name\n1,\"O'Brien\"\n2,plain text that is not SQLite\n");
    const QString textFile = dir + "/observations.csv";
    lum::test::writeFile(textFile, content);
    // A file that claims to be SQLite but is not (header only, then garbage).
    const QByteArray fake = QByteArray("SQLite format 3\0", 16) + QByteArray(200, '\x7f');
    const QString fakeFile = dir + "/fake.db";
    lum::test::writeFile(fakeFile, fake);

    for (const auto& [file, bytes] : {std::pair{textFile, content}, std::pair{fakeFile, fake}}) {
        SCOPED_TRACE(file.toStdString());
        SqliteDb other;
        EXPECT_EQ(other.open(file), 1);
        EXPECT_FALSE(other.isOpen());
        EXPECT_EQ(other.lastError().type(), 1);
        EXPECT_TRUE(other.lastError().text().contains(file))
            << other.lastError().text().toStdString();
        EXPECT_EQ(lum::test::fileBytes(file), bytes);
        EXPECT_FALSE(QFileInfo::exists(file + "-wal"));
        EXPECT_FALSE(QFileInfo::exists(file + "-journal"));
        EXPECT_EQ(other.exec("CREATE TABLE t (x)"), 1);
        EXPECT_EQ(lum::test::fileBytes(file), bytes);
        EXPECT_NE(SqliteDb::defaultDatabase(), &other);
    }
}

TEST_F(SqliteDbTest, refusesPathsThatCannotHoldADatabase)
{
    const QString blocker = dir + "/blocker";
    lum::test::writeFile(blocker, "x");
    const QString underFile = blocker + "/sub/Rivulet.db";
    SqliteDb other;
    EXPECT_EQ(other.open(underFile), 1);
    EXPECT_TRUE(other.lastError().text().contains(underFile));
    EXPECT_EQ(lum::test::fileBytes(blocker), "x");

    EXPECT_EQ(other.open(QString()), 1);
    EXPECT_FALSE(other.lastError().text().isEmpty());
    EXPECT_EQ(other.open(dir), 1); // a folder
    EXPECT_FALSE(other.isOpen());
}

TEST_F(SqliteDbTest, boundValuesKeepTheirTypesAndReadBackTyped)
{
    SqlStatement insert(db);
    ASSERT_EQ(db.prepareInsert(items, insert), 0);
    for (int i = 0; i < 3; ++i) { // one prepared text, many runs
        StatementBinder binder(insert);
        binder.bind(1, std::string("row") + char('0' + i));
        binder.bind(2, i - 1);
        ASSERT_EQ(insert.step(), SqlStatement::Done);
        EXPECT_EQ(insert.lastInsertId(), 1 + i);
    }
    ASSERT_EQ(
        db.exec("INSERT INTO items (name, qty) VALUES (?, ?)", {QString("2.5"), QString("42")}), 0);
    ASSERT_EQ(db.exec("INSERT INTO items (name, qty) VALUES (?, ?)", {QVariant(), QVariant()}), 0);
    TableData rows;
    db.runQuery(rows, "SELECT name, qty, typeof(qty) FROM items ORDER BY id");
    ASSERT_EQ(rows.numRows(), 5);
    EXPECT_EQ(rows.stringValue(1, 0), "row1");
    EXPECT_EQ(rows.intValue(0, 1), -1);
    EXPECT_EQ(rows.stringValue(3, 2), "integer"); // a number bound as text is stored as one
    EXPECT_EQ(rows.longLongValue(3, 1), 42);
    EXPECT_DOUBLE_EQ(rows.doubleValue(3, 0), 2.5);
    EXPECT_TRUE(rows.isNull(4, 0));
    EXPECT_EQ(rows.intValue(4, 1), 0);
    EXPECT_EQ(rows.intValue(5, 0), 0); // outside the result
    EXPECT_FALSE(rows.value(-1, 0).isValid());

    db.runQuery(rows, "SELECT nonsense FROM items");
    EXPECT_EQ(rows.errorCode(), 2);
    EXPECT_EQ(rows.numRows(), 0);
}

TEST_F(SqliteDbTest, statementErrorsAndAClosedDatabaseFailWithoutHarm)
{
    SqlStatement bad(db);
    EXPECT_EQ(bad.prepare("INSERT INTO no_such_table VALUES (?)"), 2);
    EXPECT_NE(bad.step(), SqlStatement::Done);
    SqlStatement insert(db);
    ASSERT_EQ(insert.prepare("INSERT INTO items (name, qty) VALUES (?, ?)"), 0);
    EXPECT_EQ(insert.bindValue(-1, 1), 2);

    SqliteDb closed;
    SqlStatement orphan(closed);
    EXPECT_EQ(orphan.prepare("SELECT 1"), 1);
    EXPECT_EQ(orphan.step(), 1);
    EXPECT_EQ(closed.beginTransaction(), 1);
    EXPECT_EQ(TableData(closed, "SELECT 1").errorCode(), 1);
}

TEST_F(SqliteDbTest, valuesAreNeverReadAsSql)
{
    const QStringList nasty = {
        "O'Brien", "name", "x' OR '1'='1", "\"quoted\"", "a; DROP TABLE items; --", "`qty`"};
    for (const QString& value : nasty)
        ASSERT_EQ(insertItem(value, 1), SqlStatement::Done) << value.toStdString();
    ASSERT_EQ(db.exec("INSERT INTO items (name, qty) VALUES (?, ?)", {QString("it's"), 2}), 0);

    EXPECT_EQ(lum::test::countRows(db, "items"), nasty.size() + 1);
    for (const QString& value : nasty) {
        SCOPED_TRACE(value.toStdString());
        EXPECT_TRUE(db.findFirst(items, lum::test::ItemModel::Name, value));
        const TableData rows(db, items.selectSql({}, "name = ?"), {value});
        ASSERT_EQ(rows.numRows(), 1);
        EXPECT_EQ(rows.stringValue(0, 1), value);
    }
    EXPECT_TRUE(db.findFirst(items, lum::test::ItemModel::Name, "it's"));
    // Values that would match everything, or a column, if pasted into the text.
    EXPECT_FALSE(db.findFirst(items, lum::test::ItemModel::Name, "' OR '1'='1"));
    EXPECT_FALSE(db.findFirst(items, lum::test::ItemModel::Name, "qty"));
    EXPECT_FALSE(db.findFirst(items, lum::test::ItemModel::Qty, 3));
    EXPECT_TRUE(db.findFirst(items, lum::test::ItemModel::Qty, 2));
    EXPECT_EQ(db.exec(items.deleteSql("name = ?"), {QString("name")}), 0);
    EXPECT_EQ(lum::test::countRows(db, "items"), nasty.size());
}

TEST_F(SqliteDbTest, transactions)
{
    ASSERT_EQ(db.beginTransaction(), 0);
    EXPECT_EQ(db.beginTransaction(), 3); // no nesting
    insertItem("kept", 1);
    ASSERT_EQ(db.commit(), 0);
    EXPECT_EQ(db.commit(), 3); // nothing to commit

    ASSERT_EQ(db.beginTransaction(), 0);
    insertItem("dropped", 2);
    ASSERT_EQ(db.rollback(), 0);
    {
        lum::DbTransaction transaction(db);
        ASSERT_TRUE(transaction.isActive());
        insertItem("abandoned", 3);
    } // rolled back when left uncommitted
    {
        lum::DbTransaction transaction(db);
        insertItem("committed", 4);
        EXPECT_EQ(transaction.commit(), 0);
        EXPECT_FALSE(transaction.isActive());
    }
    const TableData rows(db, "SELECT name FROM items ORDER BY id");
    ASSERT_EQ(rows.numRows(), 2);
    EXPECT_EQ(rows.stringValue(0, 0), "kept");
    EXPECT_EQ(rows.stringValue(1, 0), "committed");
}

TEST(SqliteDbStatic, looksLikeDatabaseNeverCreatesAFile)
{
    const QString dir = TestEnvironment::freshDir("probe");
    const QString missing = dir + "/missing.db";
    EXPECT_FALSE(SqliteDb::looksLikeDatabase(missing));
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_FALSE(SqliteDb::looksLikeDatabase(dir));
    lum::test::writeFile(dir + "/empty.db", QByteArray());
    EXPECT_TRUE(SqliteDb::looksLikeDatabase(dir + "/empty.db"));
    lum::test::writeFile(dir + "/short.db", "SQLite");
    EXPECT_FALSE(SqliteDb::looksLikeDatabase(dir + "/short.db"));
}

} // namespace
