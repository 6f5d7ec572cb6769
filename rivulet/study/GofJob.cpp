#include "rivulet/study/GofJob.h"

#include "lum/thread/ThreadRunner.h"
#include "rivulet/gof/NextDetectionCohorts.h"
#include "rivulet/study/FitSettings.h"
#include "rivulet/study/Study.h"

namespace rivulet {

GofJob::GofJob(const Study& study, const Options& options, lum::ThreadRunner* runner)
    : lum::ThreadRunnable(runner), m_study(study), m_options(options),
      m_bootstrap(std::make_unique<gof::ParametricBootstrap>(
          study.nextDetections(), study.catalogue(), fitOptionsFromSettings())),
      m_cancel(runner ? runner->canceledFlag() : m_ownCanceled)
{
}

GofJob::~GofJob() = default;

void GofJob::setCanceled(bool value)
{
    m_ownCanceled = value;
    lum::ThreadRunnable::setCanceled(value);
}

void GofJob::run()
{
    clearError();
    m_modelFitted = false;
    setNumSteps(m_options.replicates + 1);
    setStep(0);
    progressStatus(QStringLiteral("Component tests"));
    m_components = gof::studyComponentTests(m_study.nextDetections());
    progressStatus(QStringLiteral("Fitting the most general model"));
    m_modelFitted = m_bootstrap->fitObserved(m_cancel);
    if (m_cancel.load())
        return;
    if (!m_modelFitted) {
        warning(m_bootstrap->error());
        setStep(m_options.replicates + 1);
        return;
    }
    setStep(1);
    if (m_options.replicates <= 0)
        return;
    progressStatus(QStringLiteral("Bootstrap: %1 simulated studies").arg(m_options.replicates));
    m_bootstrap->run(m_options.replicates, m_options.seed, m_cancel,
                     [this](int done) { setStep(done + 1); });
    const gof::ParametricBootstrap::Result& result = m_bootstrap->result();
    if (result.failed > 0 && !result.canceled)
        warning(QStringLiteral("%1 of %2 simulated studies did not converge and were left out.")
                    .arg(result.failed)
                    .arg(result.requested));
}

} // namespace rivulet
