#include "rivulet/counts/DataUpdater.h"

#include "lum/db/DbTransaction.h"
#include "rivulet/counts/NextDetectionsI.h"
#include "rivulet/counts/TabulatedNextDetections.h"
#include "rivulet/data/ControllerI.h"
#include "rivulet/data/DerivedDataStore.h"
#include "rivulet/data/DetectionSequenceController.h"

#include <utility>

namespace rivulet {

DataUpdater::DataUpdater(ControllerI& releases, ControllerI& sites, ControllerI& years,
                         DetectionSequenceController* sequences, NextDetectionsI& counts,
                         lum::ThreadRunner* runner, QObject* parent)
    : lum::ThreadRunnable(runner, parent), releases_(releases), sites_(sites), years_(years),
      sequences_(sequences), counts_(counts)
{
}

DataUpdater::~DataUpdater() = default;

void DataUpdater::keepCountsIn(const DerivedDataStore* store, TabulatedNextDetections* counts)
{
    store_ = store;
    storedCounts_ = counts;
}

void DataUpdater::addRefreshStep(std::function<void()> step)
{
    refreshSteps_.push_back(std::move(step));
}

void DataUpdater::run()
{
    clearError();
    QByteArray fingerprint;
    const bool derived = readAndDerive(fingerprint);
    // Stored only after the read transaction has ended; the store checks in its own write
    // transaction that the data are still those the fingerprint was taken of.
    if (derived && !fingerprint.isEmpty())
        store_->save(fingerprint, storedCounts_->tablesToBytes());
}

bool DataUpdater::readAndDerive(QByteArray& fingerprint)
{
    // The later steps (summary, catalogue) may read the database too.
    const lum::DbReadTransaction oneState(database_);
    int done = 0;
    setNumSteps(static_cast<int>(refreshSteps_.size()) + 3);
    // True when the update may go on to the next step.
    const auto stepDone = [this, &done] {
        setStep(++done);
        return !cancelRequested();
    };
    releases_.refresh();
    sites_.refresh();
    years_.refresh();
    if (!stepDone())
        return false;
    const bool keep = store_ != nullptr && storedCounts_ != nullptr && sequences_ != nullptr;
    // Taken in the same state of the file as the histories are read in.
    const QByteArray current = keep ? store_->fingerprint() : QByteArray();
    bool derived = false;
    if (keep && storedCounts_->restoreTables(store_->load(current))) {
        setStep(done += 2);
    } else {
        bool read = true;
        if (sequences_ != nullptr && sequences_->update() != 0) {
            const QString message = QStringLiteral("Unable to read the detection histories: ") +
                                    sequences_->lastError();
            fail(lum::JobError::Database, message);
            read = false;
        }
        if (!stepDone())
            return false;
        counts_.update();
        derived = keep && read;
        if (!stepDone())
            return false;
    }
    for (const std::function<void()>& step : refreshSteps_) {
        step();
        if (!stepDone())
            return false;
    }
    if (derived)
        fingerprint = current;
    return derived;
}

} // namespace rivulet
