#pragma once

// A study written by the simulator and loaded the way the program loads one, so that tests
// see the simulator's files only through the program's own readers.

#include "common/TestEnvironment.h"
#include "rivulet/counts/DataUpdater.h"
#include "rivulet/counts/NextDetections.h"
#include "rivulet/data/DetectionSequenceController.h"
#include "rivulet/data/ReleasesController.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/data/SitesController.h"
#include "rivulet/data/YearsController.h"
#include "rivulet/input/MockSitesConfigSettings.h"
#include "rivulet/input/ObsDataLoader.h"
#include "rivulet/input/SitesConfig.h"
#include "rivulet/input/SitesConfigCatalog.h"
#include "tools/sim/StudySimulator.h"

#include <QDate>
#include <QDir>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

namespace rivulet::test {

// Writes the study of a design into a fresh folder, loads its sites configuration and export
// through the observation loader into a database of its own, and runs the data update that
// derives the detection histories and the next-detection counts, followed by the given
// refresh steps (the program adds the release summary and the model catalogue there).
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
        QString error;
        if (!simulator.run(folder, writeCounts, &written, &error))
            return error;
        if (rdb.open(folder + QStringLiteral("/study.db")) != 0)
            return QStringLiteral("cannot open the study database");
        settings.lastCheck = QDate::currentDate();
        ObsDataLoader loader(file(sim::StudySimulator::ObservationsFile), &releases, &sites, &years,
                             file(sim::StudySimulator::ConfigFile), nullptr, &rdb);
        loader.setSitesConfig(&config, &settings);
        loader.run();
        if (loader.failed())
            return QStringLiteral("the observation loader refused the export");
        loaded = loader.summary();
        DataUpdater updater(releases, sites, years, &sequences, counts);
        for (const std::function<void()>& step : refreshSteps)
            updater.addRefreshStep(step);
        QString updateError;
        QObject::connect(&updater, &DataUpdater::error,
                         [&updateError](const QString& message) { updateError = message; });
        updater.process();
        return updateError;
    }

    QString file(const char* name) const { return QDir(folder).filePath(name); }

    sim::StudySimulator simulator;
    QString folder;
    sim::StudySummary written;
    ObsLoadSummary loaded;
    RivuletDb rdb;
    SitesConfig config;
    MockSitesConfigSettings settings{TestEnvironment::freshDir("loaded-study-shared")};
    SitesConfigCatalog catalog{config};
    SitesController sites{catalog, rdb};
    YearsController years{rdb};
    ReleasesController releases{rdb};
    DetectionSequenceController sequences{releases, sites, rdb};
    NextDetections counts{releases, sites, years, sequences};
};

} // namespace rivulet::test
