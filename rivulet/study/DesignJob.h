#pragma once

#include "lum/thread/ThreadRunnable.h"
#include "rivulet/design/DesignRun.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace rivulet {

class Study;

// "Study Design" of a study: one fitted model's estimates taken as the truth, studies of the
// same design simulated and fitted for each number of fish per release (DesignRun); one step
// per replicate. The study and its results must not change while it runs; the study's
// database is never written.
class DesignJob : public lum::ThreadRunnable
{
    Q_OBJECT

public:
    struct Options
    {
        std::vector<int> fish;
        int replicates = 50;
        std::uint64_t seed = 1;
    };

    // `model`: a position in the study's results.
    DesignJob(const Study& study, int model, const Options& options, lum::ThreadRunner* runner);
    ~DesignJob() override;

    const Options& options() const { return m_options; }
    const design::DesignRun::Result& result() const { return m_run->result(); }

    void run() override;
    void setCanceled(bool value) override;

private:
    Options m_options;
    std::unique_ptr<design::DesignRun> m_run;
    std::atomic<bool> m_ownCanceled{false};
    const std::atomic<bool>& m_cancel;
};

} // namespace rivulet
