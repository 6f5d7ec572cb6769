#include "rivulet/data/DataUpdater.h"

#include "rivulet/data/ControllerI.h"
#include "rivulet/data/DetectionSequenceController.h"
#include "rivulet/data/NextDetectionsI.h"

#include <utility>

namespace rivulet {

DataUpdater::DataUpdater(ControllerI& releases, ControllerI& sites, ControllerI& years,
                         DetectionSequenceController* sequences, NextDetectionsI& counts,
                         QObject* parent)
    : QObject(parent), releases_(releases), sites_(sites), years_(years), sequences_(sequences),
      counts_(counts)
{
}

DataUpdater::~DataUpdater() = default;

void DataUpdater::addRefreshStep(std::function<void()> step)
{
    refreshSteps_.push_back(std::move(step));
}

void DataUpdater::process()
{
    releases_.refresh();
    sites_.refresh();
    years_.refresh();
    if (sequences_ != nullptr && sequences_->update() != 0) {
        emit error(QStringLiteral("Unable to read the detection histories: ") +
                   sequences_->lastError());
    }
    counts_.update();
    for (const std::function<void()>& step : refreshSteps_)
        step();
    emit finished();
}

} // namespace rivulet
