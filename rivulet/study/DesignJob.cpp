#include "rivulet/study/DesignJob.h"

#include "lum/thread/ThreadRunner.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/study/FitSettings.h"
#include "rivulet/study/Study.h"

namespace rivulet {

DesignJob::DesignJob(const Study& study, int model, const Options& options,
                     lum::ThreadRunner* runner)
    : lum::ThreadRunnable(runner), m_options(options),
      m_run(std::make_unique<design::DesignRun>(
          study.nextDetections(), study.results().structure(model),
          study.results().estimates(model), fitOptionsFromSettings())),
      m_cancel(runner ? runner->canceledFlag() : m_ownCanceled)
{
}

DesignJob::~DesignJob() = default;

void DesignJob::setCanceled(bool value)
{
    m_ownCanceled = value;
    lum::ThreadRunnable::setCanceled(value);
}

void DesignJob::run()
{
    clearError();
    const int total = static_cast<int>(m_options.fish.size()) * m_options.replicates;
    setNumSteps(total);
    setStep(0);
    progressStatus(QStringLiteral("Study design: %1 simulated studies").arg(total));
    m_run->run(m_options.fish, m_options.replicates, m_options.seed, m_cancel,
               [this](int done) { setStep(done); });
    const design::DesignRun::Result& result = m_run->result();
    if (result.failed > 0 && !result.canceled)
        warning(QStringLiteral("%1 of %2 simulated studies did not converge and were left out.")
                    .arg(result.failed)
                    .arg(total));
}

} // namespace rivulet
