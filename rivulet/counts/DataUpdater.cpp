#include "rivulet/counts/DataUpdater.h"

#include "lum/db/DbTransaction.h"
#include "rivulet/counts/NextDetectionsI.h"
#include "rivulet/data/ControllerI.h"
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

void DataUpdater::addRefreshStep(std::function<void()> step)
{
    refreshSteps_.push_back(std::move(step));
}

void DataUpdater::run()
{
    clearError();
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
        return;
    if (sequences_ != nullptr && sequences_->update() != 0) {
        const QString message =
            QStringLiteral("Unable to read the detection histories: ") + sequences_->lastError();
        emit error(message);
        fail(lum::JobError::Database, message);
    }
    if (!stepDone())
        return;
    counts_.update();
    if (!stepDone())
        return;
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
