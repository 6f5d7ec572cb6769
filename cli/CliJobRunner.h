#pragma once

#include "lum/thread/ThreadRunner.h"

#include <QList>
#include <QObject>

namespace lum {
class ThreadRunnable;
}

namespace rivulet::cli {

class CliOutput;

// Runs background jobs from the tool and waits for them: their status and
// progress captions become status lines, their warnings and errors go to
// standard error, and their progress to the percentage line.
//
//     CliJobRunner& jobs = context.jobs();
//     ObservationLoader loader(file, ..., &jobs.runner());
//     if (!jobs.run(loader))
//         return ExitFailure;
class CliJobRunner
{
public:
    explicit CliJobRunner(CliOutput& out);
    CliJobRunner(const CliJobRunner&) = delete;
    CliJobRunner& operator=(const CliJobRunner&) = delete;

    // The runner to create the jobs with, so that their reports reach here.
    lum::ThreadRunner& runner() { return m_runner; }

    // Runs the jobs in order on the runner and returns when they are done.
    // False when a job reported an error (setErrorMessage) or the run ended
    // canceled; a job created with another runner fails at once.
    bool run(const QList<lum::ThreadRunnable*>& jobs);
    bool run(lum::ThreadRunnable& job);

private:
    CliOutput& m_out;
    lum::ThreadRunner m_runner;
    // Lives on the caller's thread, so the runner's reports arrive queued.
    QObject m_receiver;
    bool m_errorReported = false;
    bool m_canceled = false;
};

} // namespace rivulet::cli
