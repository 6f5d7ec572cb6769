#pragma once

#include "lum/thread/ThreadRunner.h"

#include <QObject>

namespace lum {
class ThreadRunnable;
}

namespace rivulet::cli {

class CliOutput;

// Shows the tool's jobs on the terminal, as the window's progress dialog and output dock
// show them: status and progress captions become status lines, warnings and errors go to
// standard error, progress to the percentage line. While a job runs, Ctrl-C (SIGINT) asks
// it to stop, as the dialog's Cancel button does; the job then ends cleanly (a load rolls its
// transaction back).
//
//     TerminalTracker& tracker = context.tracker();
//     auto job = StudyActions(study, tracker.runner()).update();
//     if (tracker.run(*job) != TerminalTracker::Complete)
//         return ExitFailure;
class TerminalTracker
{
public:
    enum Outcome
    {
        Complete,
        Canceled,
        Failed
    };

    explicit TerminalTracker(CliOutput& out);
    ~TerminalTracker();
    TerminalTracker(const TerminalTracker&) = delete;
    TerminalTracker& operator=(const TerminalTracker&) = delete;

    // The runner to create the jobs with, so that their reports reach here.
    lum::ThreadRunner& runner() { return m_runner; }

    // Runs the job on the runner and returns when it is done and all its reports are
    // printed. A job created with another runner is refused (Failed).
    Outcome run(lum::ThreadRunnable& job);

private:
    CliOutput& m_out;
    lum::ThreadRunner m_runner;
    // Lives on the caller's thread, so the runner's reports arrive queued.
    QObject m_receiver;
};

} // namespace rivulet::cli
