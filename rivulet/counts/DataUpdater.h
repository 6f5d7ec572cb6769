#pragma once

#include "lum/thread/ThreadRunnable.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <vector>

namespace lum {
class SqliteDb;
}

namespace rivulet {

class ControllerI;
class DerivedDataStore;
class DetectionSequenceController;
class NextDetectionsI;
class TabulatedNextDetections;

// Brings every object derived from the data up to date after the data or the configuration
// changed, in the order each depends on the one before: the releases, sites and years
// controllers, the detection histories (when there is a database), the next-detection
// counts, and then the refresh steps added with addRefreshStep, in the order they were added
// (the program adds the release summary, the model catalogue and the model tree).
//
// A job like every other long flow: run it on a lum::ThreadRunner, which reports its progress
// (one step per object brought up to date) and its failure; a cancel is looked at between
// the steps, so a canceled update leaves the later objects as they were (the study then
// counts as not up to date). rivulet::Study builds it with the study's own objects:
//
//     DataUpdater updater(releases, sites, years, &sequences, counts, &runner);
//     updater.addRefreshStep([&summary] { summary.update(); });
//     runner.setRunnable(&updater);
//     runner.start();
//
// Everything handed in is borrowed and must outlive the run; nothing else may use those
// objects until the run has ended.
class DataUpdater : public lum::ThreadRunnable
{
    Q_OBJECT

public:
    // `sequences` is null when there is no database (simulated data).
    DataUpdater(ControllerI& releases, ControllerI& sites, ControllerI& years,
                DetectionSequenceController* sequences, NextDetectionsI& counts,
                lum::ThreadRunner* runner = nullptr, QObject* parent = nullptr);
    ~DataUpdater() override;

    // Keeps the counts in the database between runs (see DerivedDataStore): an update of data
    // that have not changed since the last stored one reads the counts back instead of the
    // histories. `counts` is the counts object given to the constructor; both are borrowed.
    void keepCountsIn(const DerivedDataStore* store, TabulatedNextDetections* counts);

    // Appends a step that runs after the counts were recomputed.
    void addRefreshStep(std::function<void()> step);
    // The database the controllers and histories read (borrowed): a run reads it in one read
    // transaction, so a load committed by another process meanwhile cannot mix two studies.
    void setDatabase(const lum::SqliteDb* db) { m_database = db; }

    // The whole update on the calling thread. When the histories cannot be read they are
    // empty for this run and the job fails (JobError::Database), but the later steps still
    // run so that every object agrees with them.
    void run() override;

private:
    // Everything but the storing of the counts, in one read transaction; true, with the
    // fingerprint of what was read, when the counts were derived and may be kept.
    bool readAndDerive(QByteArray& fingerprint);

    ControllerI& m_releases;
    ControllerI& m_sites;
    ControllerI& m_years;
    DetectionSequenceController* m_sequences = nullptr;
    NextDetectionsI& m_counts;
    const DerivedDataStore* m_store = nullptr;
    TabulatedNextDetections* m_storedCounts = nullptr;
    const lum::SqliteDb* m_database = nullptr;
    std::vector<std::function<void()>> m_refreshSteps;
};

} // namespace rivulet
