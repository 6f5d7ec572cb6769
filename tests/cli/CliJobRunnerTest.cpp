#include "cli/CliJobRunner.h"
#include "cli/CliOutput.h"
#include "lum/thread/ThreadRunnable.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using rivulet::cli::CliJobRunner;
using rivulet::cli::CliOutput;

class ScriptedJob : public lum::ThreadRunnable
{
public:
    ScriptedJob(lum::ThreadRunner* runner, std::function<void(ScriptedJob&)> body)
        : lum::ThreadRunnable(runner), m_body(std::move(body))
    {
    }
    void run() override { m_body(*this); }

private:
    std::function<void(ScriptedJob&)> m_body;
};

class CliJobRunnerTest : public ::testing::Test
{
protected:
    QString out;
    QString err;
    QTextStream outStream{&out};
    QTextStream errStream{&err};
    CliOutput output{outStream, errStream, true};
    CliJobRunner jobs{output};
};

TEST_F(CliJobRunnerTest, PrintsReportsInOrderAndSucceeds)
{
    ScriptedJob job(&jobs.runner(), [](ScriptedJob& j) {
        j.progressStatus("Loading \"a.csv\"");
        j.setNumSteps(2);
        j.setStep(1);
        j.status("read 2 rows");
        j.warning("row 2 odd");
        j.errorStatus("model 4: unable to estimate parameters");
        j.setStep(2);
    });
    EXPECT_TRUE(jobs.run(job));
    EXPECT_EQ(out, "Loading \"a.csv\"\nread 2 rows\n");
    EXPECT_EQ(err, "\r  0%\r 50%\r    \rwarning: row 2 odd\n"
                   "error: model 4: unable to estimate parameters\n\r100%\r    \r");
}

TEST_F(CliJobRunnerTest, ErrorMessageMakesTheRunFail)
{
    ScriptedJob job(&jobs.runner(), [](ScriptedJob& j) { j.setErrorMessage("bad file"); });
    EXPECT_FALSE(jobs.run(job));
    EXPECT_TRUE(err.contains("error: bad file\n"));
    // The next run starts clean.
    ScriptedJob fine(&jobs.runner(), [](ScriptedJob&) {});
    EXPECT_TRUE(jobs.run(fine));
}

TEST_F(CliJobRunnerTest, CanceledRunFailsAndSkipsLaterJobs)
{
    bool laterRan = false;
    ScriptedJob canceling(&jobs.runner(), [](ScriptedJob& j) { j.setCanceled(true); });
    ScriptedJob later(&jobs.runner(), [&](ScriptedJob&) { laterRan = true; });
    EXPECT_FALSE(jobs.run({&canceling, &later}));
    EXPECT_FALSE(laterRan);
}

TEST_F(CliJobRunnerTest, JobOfAnotherRunnerIsRefused)
{
    lum::ThreadRunner other;
    bool ran = false;
    ScriptedJob job(&other, [&](ScriptedJob&) { ran = true; });
    EXPECT_FALSE(jobs.run(job));
    EXPECT_FALSE(ran);
    EXPECT_TRUE(err.startsWith("error: "));
}

} // namespace
