#include "rivulet/study/StudySession.h"

#include "lum/thread/ThreadRunner.h"
#include "rivulet/data/ReleasesControllerI.h"

#include <utility>

namespace rivulet {

StudySession::StudySession(Study::Source source, RivuletDb& rdb, lum::ThreadRunner& runner)
    : study_(std::make_unique<Study>(source, rdb)), runner_(runner), actions_(*study_, runner)
{
    hasData_ = study_->releases().count() > 0;
}

StudySession::~StudySession()
{
    // The job reads the study; it ends before either goes.
    if (runner_.isRunning()) {
        runner_.cancel();
        runner_.wait();
    }
}

void StudySession::noteReleases()
{
    hasData_ = hasData_ || study_->releases().count() > 0;
}

void StudySession::start(std::unique_ptr<lum::ThreadRunnable> job, Run run)
{
    // The previous job's thread has finished (finish() waited for it).
    job_ = std::move(job);
    running_ = run;
    runner_.setRunnable(job_.get());
    runner_.start();
}

void StudySession::startLoad(const QString& path, const QString& sitesConfigRemedy,
                             const QString& agesAfter)
{
    auto job = actions_.loadObservations(path);
    loader_ = &job->job();
    if (!sitesConfigRemedy.isEmpty())
        loader_->setSitesConfigRemedy(sitesConfigRemedy);
    pendingAges_ = agesAfter;
    start(std::move(job), Run::Load);
}

void StudySession::startAges(const QString& path)
{
    start(actions_.loadAges(path), Run::Ages);
}

void StudySession::startUpdate()
{
    start(actions_.update(), Run::Update);
}

void StudySession::startFit()
{
    start(actions_.fit({}), Run::Estimation);
}

void StudySession::startSaveNextDetections(const QString& path)
{
    nextDetectionsFile_ = path;
    start(actions_.saveNextDetections(path), Run::SaveNextDetections);
}

StudySession::Run StudySession::finish()
{
    // The runner reports the end of a run from inside its thread; wait for the thread itself.
    runner_.wait();
    return std::exchange(running_, Run::None);
}

StudySession::Ending StudySession::complete()
{
    Ending ending;
    ending.run = finish();
    switch (ending.run) {
    case Run::Load:
        loader_ = nullptr;
        hasData_ = true;
        ending.agesNext = std::exchange(pendingAges_, QString());
        break;
    case Run::Ages:
        hasAgeData_ = true;
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
    pendingAges_.clear();
    if (ending.run == Run::Load) {
        // A cancel that comes after the data were stored is too late to undo them.
        ending.stored = loader_ && !loader_->failed() && loader_->summary().rows > 0;
        loader_ = nullptr;
        hasData_ = hasData_ || ending.stored;
    } else if (ending.run == Run::Ages) {
        const auto* ages = dynamic_cast<const StudyJob<AgeDataLoader>*>(job_.get());
        ending.stored = ages && ages->storedDespiteCancel();
        hasAgeData_ = hasAgeData_ || ending.stored;
    }
    return ending;
}

StudySession::Ending StudySession::failed()
{
    Ending ending;
    ending.run = finish();
    pendingAges_.clear();
    loader_ = nullptr;
    return ending;
}

} // namespace rivulet
