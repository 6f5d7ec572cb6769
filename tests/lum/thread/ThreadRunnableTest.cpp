#include "lum/thread/ThreadRunnable.h"
#include "lum/thread/ThreadRunner.h"

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
    // Without a runner, polling sees the job's own flag.
    EXPECT_FALSE(job.cancelRequested());
    job.setCanceled(true);
    EXPECT_TRUE(job.cancelRequested());
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

} // namespace
