#pragma once

#include "lum/thread/ThreadRunnable.h"

#include <functional>
#include <memory>
#include <utility>

namespace rivulet {

// A job of StudyActions: runs the job that does the work (made with the same runner, so its
// reports and failure are the runner's) and then, unless the run failed or was canceled,
// tells the study what changed. A cancel that arrives once the work is stored (`stored` says
// so) cannot undo it, so the study is told all the same. The inner job stays reachable for what it
// found out (a load summary, the optimizer).
template <typename Job>
class StudyJob : public lum::ThreadRunnable
{
public:
    StudyJob(std::unique_ptr<Job> job, std::function<void()> whenDone, lum::ThreadRunner* runner,
             std::function<bool()> stored = {})
        : lum::ThreadRunnable(runner), job_(std::move(job)), whenDone_(std::move(whenDone)),
          stored_(std::move(stored))
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
        if (whenDone_ && (!cancelRequested() || storedDespiteCancel()))
            whenDone_();
    }

    // True when the work was stored and a cancel came too late to stop it.
    bool storedDespiteCancel() const
    {
        return cancelRequested() && !job_->hasFailed() && stored_ && stored_();
    }

    Job& job() { return *job_; }
    const Job& job() const { return *job_; }

private:
    std::unique_ptr<Job> job_;
    std::function<void()> whenDone_;
    std::function<bool()> stored_;
};

} // namespace rivulet
