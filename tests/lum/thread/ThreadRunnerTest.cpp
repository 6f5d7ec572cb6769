#include "lum/thread/ThreadRunner.h"
#include "lum/thread/ThreadRunnable.h"

#include <QCoreApplication>
#include <QEventLoop>
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

TEST(ThreadRunnerPercentages, EachPercentIsSentOnceAndNeverBackwardsExceptForStepZero)
{
    const struct
    {
        int numSteps;
        QList<int> steps;
        QList<int> expected;
    } cases[] = {
        {3, {1, 2, 3}, {0, 33, 66, 100}},
        {0, {0, 1, 5}, {0}},
        {4, {2, 0, 1, 3}, {0, 50, 0, 75}}, // 25 < 50 was reported already
        {2000000000, {1000000000, 2000000000}, {0, 50, 100}},
        {1000, {1, 9, 10, 11, 19, 20, 1000}, {0, 1, 2, 100}},
    };
    for (const auto& c : cases) {
        lum::ThreadRunner runner;
        QSignalSpy spy(&runner, &lum::ThreadRunner::percentComplete);
        runner.setNumSteps(c.numSteps);
        for (int step : c.steps)
            runner.setStep(step);
        EXPECT_EQ(percents(spy), c.expected) << c.numSteps;
    }
}

TEST(ThreadRunnerRun, CancelRightAfterStartIsNeverLostAndSkipsTheRest)
{
    // The flag is cleared by start() on this thread, not by the new thread, so a cancel given
    // before the job ends always ends the run canceled, however late the new thread begins.
    lum::ThreadRunner runner;
    QSignalSpy complete(&runner, &lum::ThreadRunner::runComplete);
    QSignalSpy canceled(&runner, &lum::ThreadRunner::runCanceled);
    FunctionJob polling(&runner, [](FunctionJob& job) {
        while (!job.cancelRequested())
            QThread::msleep(1);
    });
    FunctionJob after(&runner, [](FunctionJob&) {});
    runner.setRunnables({&polling, &after});
    for (int i = 0; i < 50; ++i) {
        runner.start();
        if (i % 2)
            QThread::msleep(5); // let the job begin polling
        runner.cancel();
        ASSERT_TRUE(runner.wait(10000));
    }
    EXPECT_GT(polling.runs, 0);
    EXPECT_EQ(after.runs, 0);
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

TEST(ThreadRunnerRun, JobsRunInOrderAndTheirReportsReachTheOwningThreadQueuedAndInOrder)
{
    lum::ThreadRunner runner;
    QObject receiver;
    QStringList lines;
    bool allOnMainThread = true;
    auto record = [&](const QString& line) {
        allOnMainThread &= QThread::currentThread() == QCoreApplication::instance()->thread();
        lines.append(line);
    };
    using Text = void (lum::ThreadRunner::*)(const QString&);
    for (const auto& [signal, name] :
         {std::pair<Text, QString>{&lum::ThreadRunner::progressStatus, "progress:"},
          {&lum::ThreadRunner::status, "status:"},
          {&lum::ThreadRunner::warning, "warning:"},
          {&lum::ThreadRunner::errorStatus, "errorStatus:"}}) {
        const QString prefix = name;
        QObject::connect(&runner, signal, &receiver,
                         [&, prefix](const QString& t) { record(prefix + t); });
    }
    QObject::connect(&runner, &lum::ThreadRunner::percentComplete, &receiver,
                     [&](int p) { record(QString::number(p)); });
    QObject::connect(&runner, &lum::ThreadRunner::runComplete, &receiver,
                     [&] { record("complete"); });
    QObject::connect(&runner, &lum::ThreadRunner::runCanceled, &receiver,
                     [&] { record("canceled"); });
    FunctionJob first(&runner, [](FunctionJob& j) {
        j.progressStatus("Loading");
        j.setNumSteps(2);
        j.setStep(1);
        j.status("line");
        j.warning("odd");
        j.errorStatus("model 3");
        j.setStep(2);
    });
    FunctionJob second(&runner, [](FunctionJob& j) { j.status("second"); });
    runner.setRunnables({&first, &second});
    runToEnd(runner);
    QCoreApplication::processEvents();
    EXPECT_TRUE(allOnMainThread);
    EXPECT_EQ(lines, (QStringList{"progress:Loading", "0", "50", "status:line", "warning:odd",
                                  "errorStatus:model 3", "100", "status:second", "complete"}));
}

} // namespace
