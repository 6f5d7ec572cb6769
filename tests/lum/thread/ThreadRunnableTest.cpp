#include "lum/thread/ThreadRunnable.h"
#include "lum/thread/ThreadRunner.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

class NoopJob : public lum::ThreadRunnable
{
public:
    using lum::ThreadRunnable::ThreadRunnable;
    void run() override {}
};

TEST(ThreadRunnable, WithoutRunnerErrorsGoToStandardOutput)
{
    NoopJob job;
    testing::internal::CaptureStdout();
    job.setErrorMessage("cannot read");
    job.errorStatus("row skipped");
    job.status("not shown");
    job.setStep(3);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "**** cannot read\n***** row skipped\n");
    EXPECT_EQ(job.errorMessage(), QByteArray("cannot read"));
}

TEST(ThreadRunnable, SetNumStepsResetsTheRunnersProgress)
{
    lum::ThreadRunner runner;
    NoopJob job(&runner);
    QSignalSpy spy(&runner, &lum::ThreadRunner::percentComplete);
    job.setNumSteps(10);
    job.setStep(9);
    job.setNumSteps(5);
    EXPECT_EQ(runner.numSteps(), 5);
    EXPECT_EQ(runner.lastPercent(), 0);
    job.setStep(1);
    ASSERT_EQ(spy.count(), 4);
    EXPECT_EQ(spy.at(3).at(0).toInt(), 20);
}

TEST(ThreadRunnable, CancelGoesToTheRunnerAndPollingSeesTheRunnersFlag)
{
    lum::ThreadRunner runner;
    NoopJob job(&runner);
    job.setCanceled(true);
    EXPECT_TRUE(job.isCanceled());
    EXPECT_TRUE(runner.isCanceled());
    EXPECT_TRUE(job.cancelRequested());
    // A new run resets the runner's flag; a reused job then no longer
    // reports the old request.
    runner.setCanceled(false);
    EXPECT_FALSE(job.cancelRequested());
    runner.cancel();
    EXPECT_TRUE(job.cancelRequested());
    EXPECT_TRUE(runner.canceledFlag().load());
}

TEST(ThreadRunnable, WithoutRunnerPollingSeesTheJobsOwnFlag)
{
    NoopJob job;
    EXPECT_FALSE(job.cancelRequested());
    job.setCanceled(true);
    EXPECT_TRUE(job.cancelRequested());
}

} // namespace
