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
        : lum::ThreadRunnable(runner), m_job(std::move(job)), m_whenDone(std::move(whenDone)),
          m_stored(std::move(stored))
    {
    }

    void run() override
    {
        clearError();
        m_job->run();
        if (m_job->hasFailed()) {
            // Already reported through the runner; kept here for callers that ask the job.
            return;
        }
        if (m_whenDone && (!cancelRequested() || storedDespiteCancel()))
            m_whenDone();
    }

    // True when the work was stored and a cancel came too late to stop it.
    bool storedDespiteCancel() const
    {
        return cancelRequested() && !m_job->hasFailed() && m_stored && m_stored();
    }

    Job& job() { return *m_job; }
    const Job& job() const { return *m_job; }

private:
    std::unique_ptr<Job> m_job;
    std::function<void()> m_whenDone;
    std::function<bool()> m_stored;
};

} // namespace rivulet
