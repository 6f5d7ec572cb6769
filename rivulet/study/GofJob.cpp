#include "rivulet/study/GofJob.h"

#include "lum/thread/ThreadRunner.h"
#include "rivulet/gof/NextDetectionCohorts.h"
#include "rivulet/study/FitSettings.h"
#include "rivulet/study/Study.h"

namespace rivulet {

GofJob::GofJob(const Study& study, const Options& options, lum::ThreadRunner* runner)
    : lum::ThreadRunnable(runner), study_(study), options_(options),
      bootstrap_(std::make_unique<gof::ParametricBootstrap>(
          study.nextDetections(), study.catalogue(), fitOptionsFromSettings())),
      cancel_(runner ? runner->canceledFlag() : ownCanceled_)
{
}

GofJob::~GofJob() = default;

void GofJob::setCanceled(bool value)
{
    ownCanceled_ = value;
    lum::ThreadRunnable::setCanceled(value);
}

void GofJob::run()
{
    clearError();
    modelFitted_ = false;
    setNumSteps(options_.replicates + 1);
    setStep(0);
    progressStatus(QStringLiteral("Component tests"));
    components_ = gof::studyComponentTests(study_.nextDetections());
    progressStatus(QStringLiteral("Fitting the most general model"));
    modelFitted_ = bootstrap_->fitObserved(cancel_);
    if (cancel_.load())
        return;
    if (!modelFitted_) {
        warning(bootstrap_->error());
        setStep(options_.replicates + 1);
        return;
    }
    setStep(1);
    if (options_.replicates <= 0)
        return;
    progressStatus(QStringLiteral("Bootstrap: %1 simulated studies").arg(options_.replicates));
    bootstrap_->run(options_.replicates, options_.seed, cancel_,
                    [this](int done) { setStep(done + 1); });
    const gof::ParametricBootstrap::Result& result = bootstrap_->result();
    if (result.failed > 0 && !result.canceled)
        warning(QStringLiteral("%1 of %2 simulated studies did not converge and were left out.")
                    .arg(result.failed)
                    .arg(result.requested));
}

} // namespace rivulet
