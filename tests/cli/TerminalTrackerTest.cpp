#include "cli/TerminalTracker.h"

#include "cli/CliOutput.h"
#include "lum/thread/ThreadRunnable.h"

#include <gtest/gtest.h>

#include <QThread>

#include <csignal>
#include <functional>

namespace {

using rivulet::cli::CliOutput;
using rivulet::cli::TerminalTracker;

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

class TerminalTrackerTest : public ::testing::Test
{
protected:
    QString out;
    QString err;
    QTextStream outStream{&out};
    QTextStream errStream{&err};
    CliOutput output{outStream, errStream, true};
    TerminalTracker jobs{output};
};

TEST_F(TerminalTrackerTest, PrintsReportsInOrderAndSucceeds)
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
    EXPECT_EQ(jobs.run(job), TerminalTracker::Complete);
    EXPECT_EQ(out, "Loading \"a.csv\"\nread 2 rows\n");
    EXPECT_EQ(err, "\r  0%\r 50%\r    \rwarning: row 2 odd\n"
                   "error: model 4: unable to estimate parameters\n\r100%\r    \r");
}

// A failure is not a cancel, the next run starts clean, and Ctrl-C while a job runs stops it as
// the window's Cancel button does.
TEST_F(TerminalTrackerTest, FailureAndInterruptAreTold)
{
    ScriptedJob job(&jobs.runner(), [](ScriptedJob& j) { j.setErrorMessage("bad file"); });
    EXPECT_EQ(jobs.run(job), TerminalTracker::Failed);
    EXPECT_TRUE(err.contains("error: bad file\n"));
    ScriptedJob fine(&jobs.runner(), [](ScriptedJob&) {});
    EXPECT_EQ(jobs.run(fine), TerminalTracker::Complete);
    ScriptedJob polling(&jobs.runner(), [](ScriptedJob& j) {
        std::raise(SIGINT);
        while (!j.cancelRequested())
            QThread::msleep(1);
    });
    EXPECT_EQ(jobs.run(polling), TerminalTracker::Canceled);
}

} // namespace
