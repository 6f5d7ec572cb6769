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

    const Options& options() const { return options_; }
    const gof::ComponentSummary& components() const { return components_; }
    // Whether the most general model was fitted (the figures below exist).
    bool hasModelFit() const { return modelFitted_; }
    const gof::ParametricBootstrap::Result& modelFit() const { return bootstrap_->result(); }
    // The reason the model could not be fitted; empty otherwise.
    const QString& modelError() const { return bootstrap_->error(); }

    void run() override;
    void setCanceled(bool value) override;

private:
    const Study& study_;
    Options options_;
    gof::ComponentSummary components_;
    std::unique_ptr<gof::ParametricBootstrap> bootstrap_;
    bool modelFitted_ = false;
    std::atomic<bool> ownCanceled_{false};
    const std::atomic<bool>& cancel_;
};

} // namespace rivulet
