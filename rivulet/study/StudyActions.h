#pragma once

#include "rivulet/counts/DataUpdater.h"
#include "rivulet/input/AgeDataLoader.h"
#include "rivulet/input/ObsDataLoader.h"
#include "rivulet/reports/ReportSet.h"
#include "rivulet/reports/ResultFilesJob.h"
#include "rivulet/results/ModelAveragedEstimates.h"
#include "rivulet/results/ModelComparison.h"
#include "rivulet/study/FitJob.h"
#include "rivulet/study/SaveNextDetectionsJob.h"
#include "rivulet/study/StudyJob.h"

#include <QString>

#include <memory>

namespace lum {
class ThreadRunner;
}

namespace rivulet {

class Study;

// The long flows of a study, each built as a job for `runner` (the caller runs it, shows its
// progress and may cancel it): the window's progress dialog and output dock and the headless
// tool's terminal tracker show the same jobs. The study and the runner are borrowed and must
// outlive the jobs; one job at a time may run on a study.
//
//     StudyActions actions(study, runner);
//     auto load = actions.loadObservations(path);
//     runner.setRunnable(load.get());
//     runner.start();
//     ... after runComplete: load->job().summary(), then actions.update()
class StudyActions
{
public:
    StudyActions(Study& study, lum::ThreadRunner& runner) : m_study(study), m_runner(runner) {}

    // "Load Observations" (database studies): replaces the stored study by the export's; the
    // study's sites configuration is read first (again, when its path changed).
    std::unique_ptr<StudyJob<ObsDataLoader>> loadObservations(const QString& file) const;
    // "Load Age Data" (database studies): gives the stored tags their cohorts.
    std::unique_ptr<StudyJob<AgeDataLoader>> loadAges(const QString& file) const;
    // Brings the controllers, histories, counts, release summary and catalogue up to date.
    std::unique_ptr<StudyJob<DataUpdater>> update() const;
    // "Fit All Models" (or the models of the options); the study's results are replaced.
    std::unique_ptr<FitJob> fit(const FitJob::Options& options) const;
    // The comparison, the estimates, the measures (and the averaged estimates) and the report
    // set of the study's results in `outDir`.
    std::unique_ptr<ResultFilesJob> writeResults(const QString& outDir,
                                                 const ResultFilesJob::Options& options) const;
    // "Save Next Detections" to `path` (empty: keep the text in the job).
    std::unique_ptr<SaveNextDetectionsJob> saveNextDetections(const QString& path) const;

    // The report set of the study's current data and results.
    ReportSet reportSet() const;
    // The study's fitted models compared, the best one marked by `criterion`, their
    // parameters counted by `count`.
    ModelComparison comparison(ModelSelectionCriterion::Kind criterion,
                               ModelSelectionCriterion::Count count) const;
    // The study's estimates averaged over its fitted models, weighted with the parameters
    // counted by `count`.
    ModelAveragedEstimates averagedEstimates(ModelSelectionCriterion::Count count) const;

private:
    Study& m_study;
    lum::ThreadRunner& m_runner;
};

} // namespace rivulet
