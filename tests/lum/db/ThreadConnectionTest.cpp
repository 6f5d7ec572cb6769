#include "TestDbManager.h"

#include "common/TestEnvironment.h"
#include "lum/db/DbTransaction.h"
#include "lum/db/SqlStatement.h"
#include "lum/db/SqliteDb.h"

#include <QSemaphore>
#include <QSqlDatabase>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <thread>

using lum::SqlStatement;
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
        ASSERT_TRUE(manager.open(TestEnvironment::freshDir("threads") + "/test.db"));
        db = manager.database();
    }

    lum::Expected<void> insertItem(const QString& name, int qty)
    {
        return lum::test::insertItem(*db, manager.items(), name, qty);
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
                ok += insertItem("run", run).ok();
                if (run % 2 == 0) // the others roll back when left uncommitted
                    ok += transaction.commit().ok() ? 0 : 100;
            },
            "loader");
        EXPECT_EQ(db->connectionCount(), 1) << "after run " << run;
    }
    EXPECT_EQ(ok, 20);
    EXPECT_TRUE(workerConnection.contains("loader")) << workerConnection.toStdString();
    EXPECT_EQ(lum::test::countRows(*db, "items"), 10);
    EXPECT_EQ(QSqlDatabase::connectionNames().size(), before);

    // A thread Qt did not start cleans up when it exits.
    std::thread plain([&] { ok += insertItem("plain", 0).ok(); });
    plain.join();
    EXPECT_EQ(ok, 21);
    EXPECT_EQ(db->connectionCount(), 1);
    EXPECT_EQ(QSqlDatabase::connectionNames().size(), before);

    manager.database()->close();
    EXPECT_EQ(QSqlDatabase::connectionNames().size(), before - 1);
}

TEST_F(ThreadConnectionTest, secondWriterWaitsForTheFirst)
{
    ASSERT_TRUE(db->beginTransaction());
    ASSERT_TRUE(insertItem("main", 1));
    QSemaphore started;
    lum::Expected<void> begin = lum::Error();
    lum::Expected<void> inserted = lum::Error();
    lum::Expected<void> commit = lum::Error();
    std::unique_ptr<QThread> worker(QThread::create([&] {
        started.release();
        begin = db->beginTransaction(); // blocks until the main thread commits
        inserted = insertItem("worker", 2);
        commit = db->commit();
    }));
    worker->start();
    started.acquire();
    QThread::msleep(100);
    ASSERT_TRUE(db->commit());
    worker->wait();
    EXPECT_TRUE(begin);
    EXPECT_TRUE(inserted);
    EXPECT_TRUE(commit);
    EXPECT_EQ(lum::test::countRows(*db, "items"), 2);
}

} // namespace
