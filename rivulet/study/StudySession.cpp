#include "rivulet/study/StudySession.h"

#include "lum/thread/ThreadRunner.h"
#include "rivulet/data/ReleasesControllerI.h"

#include <utility>

namespace rivulet {

StudySession::StudySession(Study::Source source, RivuletDb& rdb, lum::ThreadRunner& runner)
    : m_study(std::make_unique<Study>(source, rdb)), m_runner(runner), m_actions(*m_study, runner)
{
    m_hasData = m_study->releases().count() > 0;
}

StudySession::~StudySession()
{
    // The job reads the study; it ends before either goes.
    if (m_runner.isRunning()) {
        m_runner.cancel();
        m_runner.wait();
    }
}

void StudySession::noteReleases()
{
    m_hasData = m_hasData || m_study->releases().count() > 0;
}

void StudySession::start(std::unique_ptr<lum::ThreadRunnable> job, Run run)
{
    // The previous job's thread has finished (finish() waited for it).
    m_job = std::move(job);
    m_running = run;
    m_runner.setRunnable(m_job.get());
    m_runner.start();
}

void StudySession::startLoad(const QString& path, const QString& sitesConfigRemedy,
                             const QString& agesAfter)
{
    auto job = m_actions.loadObservations(path);
    m_loader = &job->job();
    if (!sitesConfigRemedy.isEmpty())
        m_loader->setSitesConfigRemedy(sitesConfigRemedy);
    m_pendingAges = agesAfter;
    start(std::move(job), Run::Load);
}

void StudySession::startAges(const QString& path)
{
    start(m_actions.loadAges(path), Run::Ages);
}

void StudySession::startUpdate()
{
    start(m_actions.update(), Run::Update);
}

void StudySession::startFit()
{
    start(m_actions.fit({}), Run::Estimation);
}

void StudySession::startSaveNextDetections(const QString& path)
{
    m_nextDetectionsFile = path;
    start(m_actions.saveNextDetections(path), Run::SaveNextDetections);
}

StudySession::Run StudySession::finish()
{
    // The runner reports the end of a run from inside its thread; wait for the thread itself.
    m_runner.wait();
    return std::exchange(m_running, Run::None);
}

StudySession::Ending StudySession::complete()
{
    Ending ending;
    ending.run = finish();
    switch (ending.run) {
    case Run::Load:
        m_loader = nullptr;
        m_hasData = true;
        ending.agesNext = std::exchange(m_pendingAges, QString());
        break;
    case Run::Ages:
        m_hasAgeData = true;
        break;
    default:
        break;
    }
    return ending;
}

StudySession::Ending StudySession::canceled()
{
    Ending ending;
    ending.run = finish();
    // The ages of observations that did not load would belong to the study kept instead.
    m_pendingAges.clear();
    if (ending.run == Run::Load) {
        // A cancel that comes after the data were stored is too late to undo them.
        ending.stored = m_loader && !m_loader->failed() && m_loader->summary().rows > 0;
        m_loader = nullptr;
        m_hasData = m_hasData || ending.stored;
    } else if (ending.run == Run::Ages) {
        const auto* ages = dynamic_cast<const StudyJob<AgeDataLoader>*>(m_job.get());
        ending.stored = ages && ages->storedDespiteCancel();
        m_hasAgeData = m_hasAgeData || ending.stored;
    }
    return ending;
}

StudySession::Ending StudySession::failed()
{
    Ending ending;
    ending.run = finish();
    m_pendingAges.clear();
    m_loader = nullptr;
    return ending;
}

} // namespace rivulet
