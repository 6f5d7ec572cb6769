#include "lum/thread/ThreadRunner.h"
#include "lum/thread/ThreadRunnable.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMutex>
#include <QSemaphore>
#include <QSignalSpy>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>

namespace {

// A job whose body is given by the test.
class FunctionJob : public lum::ThreadRunnable
{
public:
    FunctionJob(lum::ThreadRunner* runner, std::function<void(FunctionJob&)> body)
        : lum::ThreadRunnable(runner), m_body(std::move(body))
    {
    }
    void run() override
    {
        ++runs;
        m_body(*this);
    }
    int runs = 0;

private:
    std::function<void(FunctionJob&)> m_body;
};

QList<int> percents(const QSignalSpy& spy)
{
    QList<int> values;
    for (const QList<QVariant>& args : spy)
        values.append(args.at(0).toInt());
    return values;
}

// Runs the runner to its end while the calling thread delivers the queued
// signals, as the window's event loop does.
void runToEnd(lum::ThreadRunner& runner)
{
    QEventLoop loop;
    QObject::connect(&runner, &QThread::finished, &loop, &QEventLoop::quit);
    runner.start();
    loop.exec();
}

TEST(ThreadRunnerPercentages, ThreeStepsGiveZeroThirtyThreeSixtySixHundred)
{
    lum::ThreadRunner runner;
    QSignalSpy spy(&runner, &lum::ThreadRunner::percentComplete);
    runner.setNumSteps(3);
    for (int i = 1; i <= 3; ++i)
        runner.setStep(i);
    EXPECT_EQ(percents(spy), (QList<int>{0, 33, 66, 100}));
}

TEST(ThreadRunnerPercentages, ThousandStepsSendEachPercentOnce)
{
    lum::ThreadRunner runner;
    QSignalSpy spy(&runner, &lum::ThreadRunner::percentComplete);
    runner.setNumSteps(1000);
    for (int i = 1; i <= 1000; ++i)
        runner.setStep(i);
    ASSERT_EQ(spy.count(), 101);
    const QList<int> values = percents(spy);
    for (int p = 0; p <= 100; ++p)
        EXPECT_EQ(values.at(p), p);
}

TEST(ThreadRunnerPercentages, NoStepsSendsOnlyTheInitialZero)
{
    lum::ThreadRunner runner;
    QSignalSpy spy(&runner, &lum::ThreadRunner::percentComplete);
    runner.setNumSteps(0);
    for (int i = 0; i <= 5; ++i)
        runner.setStep(i);
    EXPECT_EQ(percents(spy), (QList<int>{0}));
}

TEST(ThreadRunnerPercentages, StepZeroRepeatsZeroWithoutLosingProgress)
{
    lum::ThreadRunner runner;
    QSignalSpy spy(&runner, &lum::ThreadRunner::percentComplete);
    runner.setNumSteps(4);
    runner.setStep(2);
    runner.setStep(0);
    runner.setStep(1); // 25 < 50: already reported
    runner.setStep(3);
    EXPECT_EQ(percents(spy), (QList<int>{0, 50, 0, 75}));
    EXPECT_EQ(runner.lastPercent(), 75);
}

TEST(ThreadRunnerPercentages, HugeStepCountsDoNotOverflow)
{
    lum::ThreadRunner runner;
    QSignalSpy spy(&runner, &lum::ThreadRunner::percentComplete);
    runner.setNumSteps(2000000000);
    runner.setStep(1000000000);
    runner.setStep(2000000000);
    EXPECT_EQ(percents(spy), (QList<int>{0, 50, 100}));
}

TEST(ThreadRunnerRun, RunsJobsInOrderAndEndsComplete)
{
    lum::ThreadRunner runner;
    QStringList order;
    QMutex mutex;
    auto record = [&](const QString& what) {
        QMutexLocker lock(&mutex);
        order.append(what);
    };
    FunctionJob first(&runner, [&](FunctionJob&) { record("first"); });
    FunctionJob second(&runner, [&](FunctionJob&) { record("second"); });
    QObject::connect(&runner, &lum::ThreadRunner::runComplete, [&] { record("complete"); });
    QObject::connect(&runner, &lum::ThreadRunner::runCanceled, [&] { record("canceled"); });
    QObject::connect(&runner, &QThread::finished, [&] { record("finished"); });
    runner.setRunnables({&first, &second});
    runToEnd(runner);
    EXPECT_EQ(order, (QStringList{"first", "second", "complete", "finished"}));
}

TEST(ThreadRunnerRun, EmptyListEndsWithoutRunSignal)
{
    lum::ThreadRunner runner;
    QSignalSpy complete(&runner, &lum::ThreadRunner::runComplete);
    QSignalSpy canceled(&runner, &lum::ThreadRunner::runCanceled);
    QSignalSpy finished(&runner, &QThread::finished);
    runner.setRunnable(nullptr);
    EXPECT_TRUE(runner.runnables().isEmpty());
    runToEnd(runner);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(complete.count(), 0);
    EXPECT_EQ(canceled.count(), 0);
}

TEST(ThreadRunnerRun, CancelDuringPollingJobEndsCanceledAndSkipsTheRest)
{
    lum::ThreadRunner runner;
    QSemaphore started;
    bool sawCancel = false;
    FunctionJob polling(&runner, [&](FunctionJob& job) {
        started.release();
        while (!job.cancelRequested())
            QThread::msleep(1);
        sawCancel = true;
    });
    FunctionJob after(&runner, [](FunctionJob&) {});
    QSignalSpy complete(&runner, &lum::ThreadRunner::runComplete);
    QSignalSpy canceled(&runner, &lum::ThreadRunner::runCanceled);
    runner.setRunnables({&polling, &after});
    runner.start();
    started.acquire();
    runner.cancel();
    ASSERT_TRUE(runner.wait(10000));
    EXPECT_TRUE(sawCancel);
    EXPECT_EQ(after.runs, 0);
    EXPECT_EQ(canceled.count(), 1);
    EXPECT_EQ(complete.count(), 0);
}

TEST(ThreadRunnerRun, CancelDuringNonPollingJobStillEndsCanceled)
{
    lum::ThreadRunner runner;
    QSemaphore started;
    QSemaphore mayFinish;
    FunctionJob job(&runner, [&](FunctionJob&) {
        started.release();
        mayFinish.acquire();
    });
    QSignalSpy complete(&runner, &lum::ThreadRunner::runComplete);
    QSignalSpy canceled(&runner, &lum::ThreadRunner::runCanceled);
    runner.setRunnable(&job);
    runner.start();
    started.acquire();
    runner.setCanceled(true);
    mayFinish.release();
    ASSERT_TRUE(runner.wait(10000));
    EXPECT_EQ(job.runs, 1);
    EXPECT_EQ(canceled.count(), 1);
    EXPECT_EQ(complete.count(), 0);
}

TEST(ThreadRunnerRun, JobThatCancelsItselfStopsTheRunAndTheFlagResetsAtNextStart)
{
    lum::ThreadRunner runner;
    FunctionJob failing(&runner, [](FunctionJob& job) {
        job.setErrorMessage("broken");
        job.setCanceled(true);
    });
    FunctionJob after(&runner, [](FunctionJob&) {});
    QSignalSpy complete(&runner, &lum::ThreadRunner::runComplete);
    QSignalSpy canceled(&runner, &lum::ThreadRunner::runCanceled);
    runner.setRunnables({&failing, &after});
    runner.start();
    ASSERT_TRUE(runner.wait(10000));
    EXPECT_EQ(after.runs, 0);
    EXPECT_EQ(canceled.count(), 1);
    EXPECT_TRUE(runner.isCanceled());

    runner.setRunnable(&after);
    runner.start();
    ASSERT_TRUE(runner.wait(10000));
    EXPECT_FALSE(runner.isCanceled());
    EXPECT_EQ(after.runs, 1);
    EXPECT_EQ(complete.count(), 1);
}

TEST(ThreadRunnerRun, CancelRightAfterStartIsNeverLost)
{
    // The flag is cleared by start() on this thread, not by the new thread,
    // so a cancel given before the job ends always ends the run canceled,
    // however late the new thread begins.
    lum::ThreadRunner runner;
    QSignalSpy complete(&runner, &lum::ThreadRunner::runComplete);
    QSignalSpy canceled(&runner, &lum::ThreadRunner::runCanceled);
    QSemaphore mayFinish;
    FunctionJob job(&runner, [&mayFinish](FunctionJob&) { mayFinish.acquire(); });
    runner.setRunnable(&job);
    for (int i = 0; i < 50; ++i) {
        runner.start();
        runner.cancel();
        mayFinish.release();
        ASSERT_TRUE(runner.wait(10000));
        // A run stopped before its job leaves the permit unused.
        mayFinish.tryAcquire();
    }
    EXPECT_EQ(canceled.count(), 50);
    EXPECT_EQ(complete.count(), 0);
}

TEST(ThreadRunnerRun, AFailureEndsFailedWithItsCodeAndIsClearedAtTheNextStart)
{
    lum::ThreadRunner runner;
    FunctionJob failing(&runner, [](FunctionJob& job) {
        job.fail(lum::JobError::File, "Unable to open file \"x\"");
    });
    FunctionJob after(&runner, [](FunctionJob&) {});
    QSignalSpy failed(&runner, &lum::ThreadRunner::runFailed);
    QSignalSpy canceled(&runner, &lum::ThreadRunner::runCanceled);
    runner.setRunnables({&failing, &after});
    runner.start();
    ASSERT_TRUE(runner.wait(10000));
    EXPECT_EQ(after.runs, 0);
    EXPECT_EQ(canceled.count(), 0);
    ASSERT_EQ(failed.count(), 1);
    EXPECT_EQ(failed.at(0).at(0).toInt(), static_cast<int>(lum::JobError::File));
    EXPECT_EQ(failed.at(0).at(1).toString(), "Unable to open file \"x\"");
    EXPECT_TRUE(failing.hasFailed());

    runner.setRunnable(&after);
    runner.start();
    ASSERT_TRUE(runner.wait(10000));
    EXPECT_FALSE(runner.hasFailed());
    EXPECT_EQ(after.runs, 1);
}

TEST(ThreadRunnerRun, ReportsReachTheOwningThreadQueuedAndInOrder)
{
    lum::ThreadRunner runner;
    QObject receiver;
    QStringList lines;
    bool allOnMainThread = true;
    auto record = [&](const QString& line) {
        allOnMainThread &= QThread::currentThread() == QCoreApplication::instance()->thread();
        lines.append(line);
    };
    QObject::connect(&runner, &lum::ThreadRunner::progressStatus, &receiver,
                     [&](const QString& t) { record("progress:" + t); });
    QObject::connect(&runner, &lum::ThreadRunner::status, &receiver,
                     [&](const QString& t) { record("status:" + t); });
    QObject::connect(&runner, &lum::ThreadRunner::warning, &receiver,
                     [&](const QString& t) { record("warning:" + t); });
    QObject::connect(&runner, &lum::ThreadRunner::error, &receiver,
                     [&](const QString& t) { record("error:" + t); });
    QObject::connect(&runner, &lum::ThreadRunner::errorStatus, &receiver,
                     [&](const QString& t) { record("errorStatus:" + t); });
    QObject::connect(&runner, &lum::ThreadRunner::busy, &receiver, [&] { record("busy"); });
    QObject::connect(&runner, &lum::ThreadRunner::percentComplete, &receiver,
                     [&](int p) { record(QString::number(p)); });
    FunctionJob job(&runner, [](FunctionJob& j) {
        j.progressStatus("Loading");
        j.setNumSteps(2);
        j.setStep(1);
        j.status("line");
        j.warning("odd");
        j.errorStatus("model 3");
        j.busy();
        j.setStep(2);
        j.setErrorMessage("fatal");
    });
    runner.setRunnable(&job);
    runToEnd(runner);
    QCoreApplication::processEvents();
    EXPECT_TRUE(allOnMainThread);
    EXPECT_EQ(lines, (QStringList{"progress:Loading", "0", "50", "status:line", "warning:odd",
                                  "errorStatus:model 3", "busy", "100", "error:fatal"}));
}

TEST(ThreadRunnerErrors, ErrorMessageIsKeptAsLatin1UntilCleared)
{
    lum::ThreadRunner runner;
    QSignalSpy spy(&runner, &lum::ThreadRunner::error);
    runner.setErrorMessage(QString::fromUtf8("Fichier \xc3\xa9trange"));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toString(), QString::fromUtf8("Fichier \xc3\xa9trange"));
    EXPECT_EQ(runner.errorMessage(), QByteArray("Fichier \xe9trange"));
    runner.clearErrorMessage();
    EXPECT_TRUE(runner.errorMessage().isEmpty());
}

} // namespace
