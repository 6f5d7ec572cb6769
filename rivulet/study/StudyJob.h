#pragma once

#include "lum/thread/ThreadRunnable.h"

#include <functional>
#include <memory>
#include <utility>

namespace rivulet {

// A job of StudyActions: runs the job that does the work (made with the same runner, so its
// reports and failure are the runner's) and then, unless the run failed or was canceled,
// tells the study what changed. The inner job stays reachable for what it found out (a load
// summary, the optimizer).
template <typename Job>
class StudyJob : public lum::ThreadRunnable
{
public:
    StudyJob(std::unique_ptr<Job> job, std::function<void()> whenDone, lum::ThreadRunner* runner)
        : lum::ThreadRunnable(runner), job_(std::move(job)), whenDone_(std::move(whenDone))
    {
    }

    void run() override
    {
        clearError();
        job_->run();
        if (job_->hasFailed()) {
            // Already reported through the runner; kept here for callers that ask the job.
            return;
        }
        if (!cancelRequested() && whenDone_)
            whenDone_();
    }

    Job& job() { return *job_; }
    const Job& job() const { return *job_; }

private:
    std::unique_ptr<Job> job_;
    std::function<void()> whenDone_;
};

} // namespace rivulet
