#pragma once

#include "lum/thread/ThreadRunnable.h"
#include "rivulet/gof/ComponentTests.h"
#include "rivulet/gof/ParametricBootstrap.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace rivulet {

class Study;

// "Goodness of Fit" of a study: the component tests of its next-detection counts, the most
// general model's deviance and Pearson statistic (Fletcher's ĉ), and, with replicates, the
// parametric bootstrap ĉ; one step per replicate. The study must not change while it runs.
class GofJob : public lum::ThreadRunnable
{
    Q_OBJECT

public:
    struct Options
    {
        // Replicates of the bootstrap; 0 for none.
        int replicates = 0;
        std::uint64_t seed = 1;
    };

    GofJob(const Study& study, const Options& options, lum::ThreadRunner* runner);
    ~GofJob() override;

    const Options& options() const { return m_options; }
    const gof::ComponentSummary& components() const { return m_components; }
    // Whether the most general model was fitted (the figures below exist).
    bool hasModelFit() const { return m_modelFitted; }
    const gof::ParametricBootstrap::Result& modelFit() const { return m_bootstrap->result(); }
    // The reason the model could not be fitted; empty otherwise.
    const QString& modelError() const { return m_bootstrap->error(); }

    void run() override;
    void setCanceled(bool value) override;

private:
    const Study& m_study;
    Options m_options;
    gof::ComponentSummary m_components;
    std::unique_ptr<gof::ParametricBootstrap> m_bootstrap;
    bool m_modelFitted = false;
    std::atomic<bool> m_ownCanceled{false};
    const std::atomic<bool>& m_cancel;
};

} // namespace rivulet
