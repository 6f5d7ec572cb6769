#include "TestDbManager.h"

#include "common/TestEnvironment.h"
#include "lum/db/DbTransaction.h"
#include "lum/db/SqlStatement.h"
#include "lum/db/SqliteDb.h"
#include "lum/db/StatementBinder.h"

#include <QSemaphore>
#include <QSqlDatabase>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <thread>

using lum::SqlStatement;
using lum::TableData;
using lum::test::TestDbManager;
using rivulet::test::TestEnvironment;

namespace {

// Runs `work` on a new QThread and waits for the thread to finish.
void runOnQThread(const std::function<void()>& work, const QString& name = QString())
{
    std::unique_ptr<QThread> thread(QThread::create(work));
    thread->setObjectName(name);
    thread->start();
    thread->wait();
}

class ThreadConnectionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(manager.open(TestEnvironment::freshDir("threads") + "/test.db"), 0);
        db = manager.database();
    }

    int insertItem(const QString& name, int qty)
    {
        SqlStatement insert(*db);
        db->prepareInsert(manager.items(), insert);
        lum::StatementBinder binder(insert);
        binder.bind(1, name);
        binder.bind(2, qty);
        return insert.step();
    }

    TestDbManager manager;
    lum::SqliteDb* db = nullptr;
};

TEST_F(ThreadConnectionTest, workerTransactionsEndWholeAndFinishedThreadsLeaveNoConnections)
{
    db->db(); // the main thread's own
    const int before = QSqlDatabase::connectionNames().size();
    ASSERT_EQ(db->connectionCount(), 1);
    int ok = 0;
    QString workerConnection;
    for (int run = 0; run < 20; ++run) {
        runOnQThread(
            [&] {
                workerConnection = db->db().connectionName();
                lum::DbTransaction transaction(*db);
                ok += insertItem("run", run) == SqlStatement::Done;
                if (run % 2 == 0) // the others roll back when left uncommitted
                    transaction.commit();
            },
            "loader");
        EXPECT_EQ(db->connectionCount(), 1) << "after run " << run;
    }
    EXPECT_EQ(ok, 20);
    EXPECT_TRUE(workerConnection.contains("loader")) << workerConnection.toStdString();
    EXPECT_EQ(lum::test::countRows(*db, "items"), 10);
    EXPECT_EQ(QSqlDatabase::connectionNames().size(), before);

    // A thread Qt did not start cleans up when it exits.
    std::thread plain([&] { ok += insertItem("plain", 0) == SqlStatement::Done; });
    plain.join();
    EXPECT_EQ(ok, 21);
    EXPECT_EQ(db->connectionCount(), 1);
    EXPECT_EQ(QSqlDatabase::connectionNames().size(), before);

    manager.database()->close();
    EXPECT_EQ(QSqlDatabase::connectionNames().size(), before - 1);
}

TEST_F(ThreadConnectionTest, mainThreadReadsWhileAWorkerWrites)
{
    ASSERT_EQ(insertItem("before", 1), SqlStatement::Done);
    QSemaphore written;
    QSemaphore readDone;
    int commit = -1;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        if (db->beginTransaction() == 0) {
            insertItem("during", 2);
            written.release();
            readDone.acquire(); // hold the write transaction open while the main thread reads
            commit = db->commit();
        } else {
            written.release();
        }
    }));
    worker->start();
    written.acquire();
    const TableData during(*db, "SELECT name FROM items ORDER BY id");
    readDone.release();
    worker->wait();

    EXPECT_EQ(during.errorCode(), 0) << during.lastError().text().toStdString();
    ASSERT_EQ(during.numRows(), 1); // the uncommitted row is not visible
    EXPECT_EQ(during.stringValue(0, 0), "before");
    EXPECT_EQ(commit, 0);
    EXPECT_EQ(lum::test::countRows(*db, "items"), 2);
}

TEST_F(ThreadConnectionTest, secondWriterWaitsForTheFirst)
{
    ASSERT_EQ(db->beginTransaction(), 0);
    ASSERT_EQ(insertItem("main", 1), SqlStatement::Done);
    QSemaphore started;
    int begin = -1;
    int commit = -1;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        started.release();
        begin = db->beginTransaction(); // blocks until the main thread commits
        insertItem("worker", 2);
        commit = db->commit();
    }));
    worker->start();
    started.acquire();
    QThread::msleep(100);
    ASSERT_EQ(db->commit(), 0);
    worker->wait();
    EXPECT_EQ(begin, 0);
    EXPECT_EQ(commit, 0);
    const TableData rows(*db, "SELECT name FROM items ORDER BY id");
    ASSERT_EQ(rows.numRows(), 2);
    EXPECT_EQ(rows.stringValue(0, 0), "main");
    EXPECT_EQ(rows.stringValue(1, 0), "worker");
}

} // namespace
