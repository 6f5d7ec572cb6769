#include "TestDbManager.h"

#include "common/FileSizeLimit.h"
#include "common/TestEnvironment.h"
#include "lum/db/DbTransaction.h"
#include "lum/db/NativeStatement.h"
#include "lum/db/SqlStatement.h"
#include "lum/db/SqliteDb.h"
#include "lum/db/StatementBinder.h"
#include "lum/db/TableData.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>

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
        const lum::Expected<void> opened = db.open(path);
        ASSERT_TRUE(opened) << opened.error().text().toStdString();
        ASSERT_TRUE(db.createTable(items));
    }

    lum::Expected<void> insertItem(const QString& name, int qty)
    {
        return lum::test::insertItem(db, items, name, qty);
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
    ASSERT_TRUE(other.open(nested));
    EXPECT_TRUE(other.isOpen());
    EXPECT_TRUE(QFileInfo(nested).isFile());
    EXPECT_EQ(SqliteDb::defaultDatabase(), &other);
    other.close();
    EXPECT_EQ(SqliteDb::defaultDatabase(), &db);
    const lum::Expected<void> closed = other.exec("SELECT 1");
    ASSERT_FALSE(closed);
    EXPECT_EQ(closed.error().code, lum::JobError::Database);
    EXPECT_EQ(closed.error().text(), "The database is not open.");
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
        const lum::Expected<void> opened = other.open(file);
        ASSERT_FALSE(opened);
        EXPECT_FALSE(other.isOpen());
        EXPECT_TRUE(opened.error().text().contains(file)) << opened.error().text().toStdString();
        EXPECT_FALSE(QFileInfo::exists(file + "-wal"));
        EXPECT_FALSE(other.exec("CREATE TABLE t (x)"));
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
    const lum::Expected<void> opened = other.open(underFile);
    ASSERT_FALSE(opened);
    EXPECT_TRUE(opened.error().text().contains(underFile));
    EXPECT_EQ(lum::test::fileBytes(blocker), "x");
    EXPECT_FALSE(other.open(dir)); // a folder
    EXPECT_FALSE(other.isOpen());
}

TEST_F(SqliteDbTest, boundValuesKeepTheirTypesAndReadBackTyped)
{
    SqlStatement insert(db);
    ASSERT_TRUE(db.prepareInsert(items, insert));
    for (int i = 0; i < 3; ++i) { // one prepared text, many runs
        StatementBinder binder(insert);
        binder.bind(1, std::string("row") + char('0' + i));
        binder.bind(2, i - 1);
        ASSERT_TRUE(insert.step());
        EXPECT_EQ(insert.lastInsertId(), 1 + i);
    }
    ASSERT_TRUE(
        db.exec("INSERT INTO items (name, qty) VALUES (?, ?)", {QString("2.5"), QString("42")}));
    ASSERT_TRUE(db.exec("INSERT INTO items (name, qty) VALUES (?, ?)", {QVariant(), QVariant()}));
    TableData rows;
    db.runQuery(rows, "SELECT name, qty, typeof(qty) FROM items ORDER BY id");
    ASSERT_EQ(rows.numRows(), 5);
    EXPECT_EQ(rows.stringValue(1, 0), "row1");
    EXPECT_EQ(rows.intValue(0, 1), -1);
    EXPECT_EQ(rows.stringValue(3, 2), "integer"); // a number bound as text is stored as one
    EXPECT_DOUBLE_EQ(rows.doubleValue(3, 0), 2.5);
    EXPECT_TRUE(rows.isNull(4, 0));
}

TEST_F(SqliteDbTest, valuesAreNeverReadAsSql)
{
    const QStringList nasty = {"O'Brien", "name", "x' OR '1'='1", "a; DROP TABLE items; --"};
    for (const QString& value : nasty)
        ASSERT_TRUE(insertItem(value, 1)) << value.toStdString();
    ASSERT_TRUE(db.exec("INSERT INTO items (name, qty) VALUES (?, ?)", {QString("it's"), 2}));
    EXPECT_EQ(lum::test::countRows(db, "items"), nasty.size() + 1);
    for (const QString& value : nasty) {
        const TableData rows(db, items.selectSql({}, "name = ?"), {value});
        ASSERT_EQ(rows.numRows(), 1) << value.toStdString();
        EXPECT_EQ(rows.stringValue(0, 1), value);
    }
    // Values that would match everything, or a column, if pasted into the text.
    EXPECT_FALSE(db.findFirst(items, lum::test::ItemModel::Name, "' OR '1'='1").value());
    EXPECT_FALSE(db.findFirst(items, lum::test::ItemModel::Name, "qty").value());
    EXPECT_TRUE(db.findFirst(items, lum::test::ItemModel::Qty, 2).value());
    EXPECT_TRUE(db.exec(items.deleteSql("name = ?"), {QString("name")}));
    EXPECT_EQ(lum::test::countRows(db, "items"), nasty.size());
}

// Every statement says why it failed in its own result, in the database's words.
TEST_F(SqliteDbTest, aFailedStatementSaysWhyInItsResult)
{
    SqlStatement insert(db);
    ASSERT_TRUE(db.prepareInsert(items, insert));
    insert.bindValue(-1, 1);
    const lum::Expected<void> misbound = insert.step();
    ASSERT_FALSE(misbound);
    EXPECT_EQ(misbound.error().text(), "Bind position out of range.");
    StatementBinder binder(insert);
    binder.bind(1, "bound");
    binder.bind(2, 1);
    EXPECT_TRUE(insert.step()) << "a failed bind is not carried into the next run";

    const QString missing = "SELECT * FROM nowhere";
    SqlStatement select(db);
    const lum::Expected<void> prepared = select.prepare(missing);
    lum::NativeStatement native;
    const lum::Expected<void> nativePrepared = native.prepare(db, missing);
    const TableData rows(db, missing);
    for (const lum::Expected<void>& result : {prepared, nativePrepared, rows.result()}) {
        ASSERT_FALSE(result);
        EXPECT_EQ(result.error().code, lum::JobError::Database);
        EXPECT_TRUE(result.error().text().startsWith("no such table: nowhere"))
            << result.error().text().toStdString();
    }
}

TEST_F(SqliteDbTest, transactions)
{
    ASSERT_TRUE(db.beginTransaction());
    const lum::Expected<void> nested = db.beginTransaction();
    ASSERT_FALSE(nested);
    EXPECT_TRUE(nested.error().text().contains("within a transaction"))
        << nested.error().text().toStdString();
    ASSERT_TRUE(insertItem("kept", 1));
    ASSERT_TRUE(db.commit());
    EXPECT_FALSE(db.commit()); // nothing to commit

    {
        lum::DbTransaction transaction(db);
        ASSERT_TRUE(transaction.isActive());
        ASSERT_TRUE(insertItem("abandoned", 3));
    } // rolled back when left uncommitted
    {
        lum::DbTransaction transaction(db);
        ASSERT_TRUE(insertItem("committed", 4));
        EXPECT_TRUE(transaction.commit());
        EXPECT_FALSE(transaction.isActive());
        EXPECT_FALSE(transaction.commit()); // only once
    }
    const TableData rows(db, "SELECT group_concat(name) FROM (SELECT name FROM items ORDER BY id)");
    EXPECT_EQ(rows.stringValue(0, 0), "kept,committed");
}

// On a full disk the load said "cannot rollback - no transaction is active".
TEST_F(SqliteDbTest, aFailedCommitKeepsItsCauseThroughTheRollback)
{
    ASSERT_TRUE(insertItem("before", 1));
    lum::DbTransaction transaction(db);
    ASSERT_TRUE(db.exec("INSERT INTO items (name, qty) VALUES (?, 2)", {QString(400000, 'x')}));
    lum::Expected<void> committed;
    {
        const rivulet::test::FileSizeLimit full(QFileInfo(path).size() + 8192);
        committed = transaction.commit();
    }
    ASSERT_FALSE(committed);
    const QString cause = committed.error().text();
    EXPECT_FALSE(cause.contains("no transaction is active")) << cause.toStdString();
    EXPECT_TRUE(cause.contains("disk")) << cause.toStdString();
    const TableData rows(db, "SELECT name FROM items");
    ASSERT_EQ(rows.numRows(), 1);
    EXPECT_EQ(rows.stringValue(0, 0), "before");
}

// Waits out the busy timeout once: another process holds the write lock throughout.
TEST_F(SqliteDbTest, aSecondWriterIsToldThatAnotherProcessIsWriting)
{
    {
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other-writer");
        other.setDatabaseName(path);
        ASSERT_TRUE(other.open());
        QSqlQuery lock(other);
        ASSERT_TRUE(lock.exec("BEGIN IMMEDIATE"));
        const lum::Expected<void> begun = db.beginTransaction();
        ASSERT_FALSE(begun);
        EXPECT_EQ(begun.error().code, lum::JobError::Database);
        EXPECT_TRUE(begun.error().text().startsWith(
            "Another process is writing to the database \"" + QFileInfo(path).absoluteFilePath() +
            "\"; run the command again once it has finished"))
            << begun.error().text().toStdString();
        lock.exec("ROLLBACK");
        other.close();
    }
    QSqlDatabase::removeDatabase("other-writer");
}

// SQLite says "database or disk is full", or at open "disk I/O error"; the message says what to
// do. A page limit stands in for the full disk.
TEST_F(SqliteDbTest, aFullDiskIsNamed)
{
    ASSERT_TRUE(db.exec("create table notes (text)"));
    ASSERT_TRUE(db.exec("PRAGMA max_page_count = " +
                        QString::number(TableData(db, "PRAGMA page_count").value(0, 0).toInt())));
    lum::Expected<void> inserted;
    for (int i = 0; i < 1000 && inserted; ++i)
        inserted = db.exec("insert into notes values (?)", {QString(200, QLatin1Char('x'))});
    ASSERT_FALSE(inserted);
    EXPECT_TRUE(inserted.error().text().contains("is full; free some space"))
        << inserted.error().text().toStdString();
}

// SQLite only says "unable to open database file" when the folder keeps it from making "-shm".
TEST(SqliteDbStatic, aReadOnlyFolderIsNamedWhenTheDatabaseCannotOpen)
{
    const QString dir = TestEnvironment::freshDir("sqlite-readonly");
    {
        SqliteDb db;
        ASSERT_TRUE(db.open(dir + "/study.db"));
        ASSERT_TRUE(db.exec("CREATE TABLE t (a)"));
    }
    QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QFile probe(dir + "/probe");
    if (probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                       QFileDevice::ExeOwner);
        GTEST_SKIP() << "a privileged user writes into read-only folders";
    }
    SqliteDb db;
    const lum::Expected<void> opened = db.open(dir + "/study.db");
    QFile::setPermissions(dir,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_FALSE(opened);
    EXPECT_TRUE(opened.error().text().contains("\" is read-only, and the database needs to create "
                                               "its \"-shm\" and \"-wal\" files beside it"))
        << opened.error().text().toStdString();
}

TEST(SqliteDbStatic, looksLikeDatabaseNeverCreatesAFile)
{
    const QString dir = TestEnvironment::freshDir("probe");
    const QString missing = dir + "/missing.db";
    EXPECT_FALSE(SqliteDb::looksLikeDatabase(missing));
    EXPECT_FALSE(QFileInfo::exists(missing));
    lum::test::writeFile(dir + "/empty.db", QByteArray());
    EXPECT_TRUE(SqliteDb::looksLikeDatabase(dir + "/empty.db"));
    lum::test::writeFile(dir + "/short.db", "SQLite");
    EXPECT_FALSE(SqliteDb::looksLikeDatabase(dir + "/short.db"));
}

} // namespace
