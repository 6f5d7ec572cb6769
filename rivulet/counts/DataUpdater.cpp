#include "rivulet/counts/DataUpdater.h"

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
        return;
    const bool keep = store_ != nullptr && storedCounts_ != nullptr && sequences_ != nullptr;
    // Taken before the histories are read, so that counts a concurrent load overtook are
    // never stored under the new data's fingerprint.
    const QByteArray fingerprint = keep ? store_->fingerprint() : QByteArray();
    if (keep && storedCounts_->restoreTables(store_->load(fingerprint))) {
        setStep(done += 2);
    } else {
        bool read = true;
        if (sequences_ != nullptr && sequences_->update() != 0) {
            const QString message = QStringLiteral("Unable to read the detection histories: ") +
                                    sequences_->lastError();
            emit error(message);
            fail(lum::JobError::Database, message);
            read = false;
        }
        if (!stepDone())
            return;
        counts_.update();
        if (keep && read)
            store_->save(fingerprint, storedCounts_->tablesToBytes());
        if (!stepDone())
            return;
    }
    for (const std::function<void()>& step : refreshSteps_) {
        step();
        if (!stepDone())
            return;
    }
}

void DataUpdater::process()
{
    run();
    emit finished();
}

} // namespace rivulet
