#include "rivulet/study/DesignJob.h"

#include "lum/thread/ThreadRunner.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/study/FitSettings.h"
#include "rivulet/study/Study.h"

namespace rivulet {

DesignJob::DesignJob(const Study& study, int model, const Options& options,
                     lum::ThreadRunner* runner)
    : lum::ThreadRunnable(runner), options_(options),
      run_(std::make_unique<design::DesignRun>(
          study.nextDetections(), study.results().structure(model),
          study.results().estimates(model), fitOptionsFromSettings())),
      cancel_(runner ? runner->canceledFlag() : ownCanceled_)
{
}

DesignJob::~DesignJob() = default;

void DesignJob::setCanceled(bool value)
{
    ownCanceled_ = value;
    lum::ThreadRunnable::setCanceled(value);
}

void DesignJob::run()
{
    clearError();
    const int total = static_cast<int>(options_.fish.size()) * options_.replicates;
    setNumSteps(total);
    setStep(0);
    progressStatus(QStringLiteral("Study design: %1 simulated studies").arg(total));
    run_->run(options_.fish, options_.replicates, options_.seed, cancel_,
              [this](int done) { setStep(done); });
    const design::DesignRun::Result& result = run_->result();
    if (result.failed > 0 && !result.canceled)
        warning(QStringLiteral("%1 of %2 simulated studies did not converge and were left out.")
                    .arg(result.failed)
                    .arg(total));
}

} // namespace rivulet
