#include "rivulet/study/StudyActions.h"

#include "rivulet/counts/DataUpdater.h"
#include "rivulet/counts/NextDetections.h"
#include "rivulet/counts/NextDetectionsI.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/input/AgeDataLoader.h"
#include "rivulet/input/ObsDataLoader.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/reports/ResultFilesJob.h"
#include "rivulet/results/ReleasedFish.h"
#include "rivulet/study/SaveNextDetectionsJob.h"
#include "rivulet/study/Study.h"
#include "rivulet/summary/ReleaseSummary.h"

namespace rivulet {

std::unique_ptr<StudyJob<ObsDataLoader>> StudyActions::loadObservations(const QString& file) const
{
    auto loader = std::make_unique<ObsDataLoader>(
        file, study_.databaseReleases(), study_.databaseSites(), study_.databaseYears(),
        study_.sitesConfigPath(), &runner_, &study_.database());
    loader->setSitesConfig(&study_.sitesConfig(), &study_.sitesConfigSettings());
    ObsDataLoader* job = loader.get();
    Study* study = &study_;
    return std::make_unique<StudyJob<ObsDataLoader>>(
        std::move(loader),
        [study, job] {
            if (!job->failed())
                study->markDataLoaded();
        },
        &runner_, [job] { return !job->failed(); });
}

std::unique_ptr<StudyJob<AgeDataLoader>> StudyActions::loadAges(const QString& file) const
{
    auto loader = std::make_unique<AgeDataLoader>(file, &study_.database(), &runner_);
    AgeDataLoader* job = loader.get();
    Study* study = &study_;
    return std::make_unique<StudyJob<AgeDataLoader>>(
        std::move(loader),
        [study, job] {
            if (job->loaded())
                study->markDataLoaded();
        },
        &runner_, [job] { return job->loaded(); });
}

std::unique_ptr<StudyJob<DataUpdater>> StudyActions::update() const
{
    Study* study = &study_;
    auto updater =
        std::make_unique<DataUpdater>(study_.releases(), study_.sites(), study_.years(),
                                      study_.sequences(), study_.nextDetections(), &runner_);
    updater->keepCountsIn(study_.derivedDataStore(), study_.databaseCounts());
    if (study_.sequences())
        updater->setDatabase(study_.database().database());
    updater->addRefreshStep([study] { study->summary().update(); });
    updater->addRefreshStep([study] { study->catalogue().rebuild(); });
    return std::make_unique<StudyJob<DataUpdater>>(
        std::move(updater), [study] { study->markUpdated(); }, &runner_);
}

std::unique_ptr<FitJob> StudyActions::fit(const FitJob::Options& options) const
{
    return std::make_unique<FitJob>(study_, options, &runner_);
}

ReportSet StudyActions::reportSet() const
{
    return ReportSet(study_.releases(), study_.sites(), study_.years(), study_.catalogue(),
                     study_.summary(), study_.nextDetections());
}

std::unique_ptr<ResultFilesJob>
StudyActions::writeResults(const QString& outDir, const ResultFilesJob::Options& options) const
{
    return std::make_unique<ResultFilesJob>(outDir, reportSet(), study_.results(), options,
                                            &runner_);
}

ModelComparison StudyActions::comparison(ModelSelectionCriterion::Kind criterion,
                                         ModelSelectionCriterion::Count count) const
{
    return ModelComparison(study_.catalogue(), study_.results(),
                           ReleasedFish::count(study_.nextDetections()), criterion, count);
}

ModelAveragedEstimates StudyActions::averagedEstimates(ModelSelectionCriterion::Count count) const
{
    // The weights do not depend on which model is marked best.
    return ModelAveragedEstimates(study_.results(), comparison(ModelSelectionCriterion::Aic, count),
                                  study_.summary());
}

std::unique_ptr<SaveNextDetectionsJob> StudyActions::saveNextDetections(const QString& path) const
{
    return std::make_unique<SaveNextDetectionsJob>(study_.nextDetections(), path, &runner_);
}

} // namespace rivulet
