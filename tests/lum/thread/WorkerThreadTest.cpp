#include "lum/thread/WorkerThread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QList>
#include <QPointer>

#include <gtest/gtest.h>

#include <atomic>

namespace {

std::atomic<int> liveWorkers{0};

class CountingWorker : public QObject
{
    Q_OBJECT
public:
    explicit CountingWorker(int steps) : m_steps(steps) { ++liveWorkers; }
    ~CountingWorker() override { --liveWorkers; }

    QThread* processThread = nullptr;

public slots:
    void process()
    {
        processThread = QThread::currentThread();
        for (int i = 1; i <= m_steps; ++i)
            emit progress(i);
        emit finished();
    }

signals:
    void progress(int step);
    void finished();

private:
    int m_steps = 0;
};

TEST(WorkerThread, RunAndWaitDeliversSignalsAndDeletesBothObjects)
{
    QObject receiver;
    QList<int> steps;
    bool receivedOnCaller = true;
    QThread* workerThread = nullptr;
    QThread* processThread = nullptr;
    bool threadDestroyed = false;
    lum::WorkerThread::runAndWait(
        std::make_unique<CountingWorker>(3), [&](CountingWorker* worker, QThread* thread) {
            workerThread = thread;
            QObject::connect(worker, &CountingWorker::progress, &receiver, [&](int step) {
                receivedOnCaller &= QThread::currentThread() == receiver.thread();
                steps.append(step);
            });
            QObject::connect(
                worker, &CountingWorker::finished, worker,
                [&, worker] { processThread = worker->processThread; }, Qt::DirectConnection);
            QObject::connect(thread, &QObject::destroyed, [&] { threadDestroyed = true; });
        });
    EXPECT_EQ(steps, (QList<int>{1, 2, 3}));
    EXPECT_TRUE(receivedOnCaller);
    EXPECT_EQ(processThread, workerThread);
    EXPECT_NE(processThread, QThread::currentThread());
    EXPECT_TRUE(threadDestroyed);
    EXPECT_EQ(liveWorkers.load(), 0);
}

TEST(WorkerThread, RunReturnsTheStartedThreadAndCleansUpInTheEventLoop)
{
    QEventLoop loop;
    int finishedCalls = 0;
    QPointer<QThread> thread = lum::WorkerThread::run(
        std::make_unique<CountingWorker>(1), [&](CountingWorker*, QThread* t) {
            QObject::connect(t, &QThread::finished, &loop, [&] {
                ++finishedCalls;
                loop.quit();
            });
        });
    ASSERT_FALSE(thread.isNull());
    loop.exec();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(finishedCalls, 1);
    EXPECT_TRUE(thread.isNull());
    EXPECT_EQ(liveWorkers.load(), 0);
}

} // namespace

#include "WorkerThreadTest.moc"
