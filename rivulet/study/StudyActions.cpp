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
        file, m_study.databaseReleases(), m_study.databaseSites(), m_study.databaseYears(),
        m_study.sitesConfigPath(), &m_runner, &m_study.database());
    loader->setSitesConfig(&m_study.sitesConfig(), &m_study.sitesConfigSettings());
    ObsDataLoader* job = loader.get();
    Study* study = &m_study;
    return std::make_unique<StudyJob<ObsDataLoader>>(
        std::move(loader),
        [study, job] {
            if (!job->failed())
                study->markDataLoaded();
        },
        &m_runner, [job] { return !job->failed(); });
}

std::unique_ptr<StudyJob<AgeDataLoader>> StudyActions::loadAges(const QString& file) const
{
    auto loader = std::make_unique<AgeDataLoader>(file, &m_study.database(), &m_runner);
    AgeDataLoader* job = loader.get();
    Study* study = &m_study;
    return std::make_unique<StudyJob<AgeDataLoader>>(
        std::move(loader),
        [study, job] {
            if (job->loaded())
                study->markDataLoaded();
        },
        &m_runner, [job] { return job->loaded(); });
}

std::unique_ptr<StudyJob<DataUpdater>> StudyActions::update() const
{
    Study* study = &m_study;
    auto updater =
        std::make_unique<DataUpdater>(m_study.releases(), m_study.sites(), m_study.years(),
                                      m_study.sequences(), m_study.nextDetections(), &m_runner);
    updater->keepCountsIn(m_study.derivedDataStore(), m_study.databaseCounts());
    if (m_study.sequences())
        updater->setDatabase(m_study.database().database());
    updater->addRefreshStep([study] { study->summary().update(); });
    updater->addRefreshStep([study] { study->catalogue().rebuild(); });
    return std::make_unique<StudyJob<DataUpdater>>(
        std::move(updater), [study] { study->markUpdated(); }, &m_runner);
}

std::unique_ptr<FitJob> StudyActions::fit(const FitJob::Options& options) const
{
    return std::make_unique<FitJob>(m_study, options, &m_runner);
}

ReportSet StudyActions::reportSet() const
{
    return ReportSet(m_study.releases(), m_study.sites(), m_study.years(), m_study.catalogue(),
                     m_study.summary(), m_study.nextDetections());
}

std::unique_ptr<ResultFilesJob>
StudyActions::writeResults(const QString& outDir, const ResultFilesJob::Options& options) const
{
    return std::make_unique<ResultFilesJob>(outDir, reportSet(), m_study.results(), options,
                                            &m_runner);
}

ModelComparison StudyActions::comparison(ModelSelectionCriterion::Kind criterion,
                                         ModelSelectionCriterion::Count count) const
{
    return ModelComparison(m_study.catalogue(), m_study.results(),
                           ReleasedFish::count(m_study.nextDetections()), criterion, count);
}

ModelAveragedEstimates StudyActions::averagedEstimates(ModelSelectionCriterion::Count count) const
{
    // The weights do not depend on which model is marked best.
    return ModelAveragedEstimates(
        m_study.results(), comparison(ModelSelectionCriterion::Aic, count), m_study.summary());
}

std::unique_ptr<SaveNextDetectionsJob> StudyActions::saveNextDetections(const QString& path) const
{
    return std::make_unique<SaveNextDetectionsJob>(m_study.nextDetections(), path, &m_runner);
}

} // namespace rivulet
