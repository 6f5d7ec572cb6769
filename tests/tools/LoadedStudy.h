#pragma once

// A study written by the simulator and loaded the way the program loads one, so that tests
// see the simulator's files only through the program's own readers.

#include "common/TestEnvironment.h"
#include "lum/thread/ThreadRunner.h"
#include "rivulet/counts/DataUpdater.h"
#include "rivulet/counts/NextDetectionsI.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/input/ObsDataLoader.h"
#include "rivulet/sitesconfig/MockSitesConfigSettings.h"
#include "rivulet/study/Study.h"
#include "rivulet/study/StudyActions.h"
#include "tools/sim/StudySimulator.h"

#include <QDate>
#include <QDir>
#include <QString>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace rivulet::test {

// Writes the study of a design into a fresh folder and loads it into a rivulet::Study on a
// database of its own with the study's own jobs (observation load, then the data update and
// the given refresh steps).
class LoadedStudy
{
public:
    LoadedStudy(const sim::StudyDesign& design, const QString& hint)
        : simulator(design), folder(TestEnvironment::freshDir(hint))
    {
    }
    LoadedStudy(const LoadedStudy&) = delete;
    LoadedStudy& operator=(const LoadedStudy&) = delete;

    // An empty text when the study was written, loaded and updated; else what went wrong.
    QString load(const std::vector<std::function<void()>>& refreshSteps = {},
                 bool writeCounts = false)
    {
        const lum::Expected<sim::StudySummary> simulated = simulator.run(folder, writeCounts);
        if (!simulated)
            return simulated.error().text();
        written = *simulated;
        if (!rdb.open(folder + QStringLiteral("/study.db")))
            return QStringLiteral("cannot open the study database");
        auto settings = std::make_unique<MockSitesConfigSettings>(
            TestEnvironment::freshDir("loaded-study-shared"));
        settings->lastCheck = QDate::currentDate();
        study.setSitesConfigSettings(std::move(settings));
        study.setSitesConfigPath(file(sim::StudySimulator::ConfigFile));

        lum::ThreadRunner runner;
        const StudyActions actions(study, runner);
        const auto loader = actions.loadObservations(file(sim::StudySimulator::ObservationsFile));
        loader->run();
        if (loader->job().failed())
            return QStringLiteral("the observation loader refused the export");
        loaded = loader->job().summary();

        const auto update = actions.update();
        for (const std::function<void()>& step : refreshSteps)
            update->job().addRefreshStep(step);
        update->run();
        return update->job().hasFailed() ? QString::fromLatin1(update->job().errorMessage())
                                         : QString();
    }

    QString file(const char* name) const { return QDir(folder).filePath(name); }

    sim::StudySimulator simulator;
    QString folder;
    sim::StudySummary written;
    ObsLoadSummary loaded;
    RivuletDb rdb;
    Study study{Study::Database, rdb};
    const ReleasesControllerI& releases = study.releases();
    const SitesControllerI& sites = study.sites();
    const YearsControllerI& years = study.years();
    const NextDetectionsI& counts = study.nextDetections();
};

} // namespace rivulet::test
