#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

namespace rivulet {

class ControllerI;
class DetectionSequenceController;
class NextDetectionsI;

// Brings every object derived from the data up to date after the data or the configuration
// changed, in the order each depends on the one before: the releases, sites and years
// controllers, the detection histories (when there is a database), the next-detection
// counts, and then the refresh steps added with addRefreshStep, in the order they were added
// (the program adds the release summary, the model catalogue and the model tree).
//
// A worker object: run it on a thread of its own, with its `process` slot started by the
// thread and its `finished` signal ending it (lum::WorkerThread does both):
//
//     auto updater = std::make_unique<DataUpdater>(releases, sites, years, &sequences, counts);
//     updater->addRefreshStep([&summary] { summary.update(); });
//     updater->addRefreshStep([&catalogue] { catalogue.rebuild(); });
//     lum::WorkerThread::run(std::move(updater), connectJob);
//
// Everything handed in is borrowed and must outlive the run; nothing else may use those
// objects until `finished`.
class DataUpdater : public QObject
{
    Q_OBJECT

public:
    // `sequences` is null when there is no database (simulated data).
    DataUpdater(ControllerI& releases, ControllerI& sites, ControllerI& years,
                DetectionSequenceController* sequences, NextDetectionsI& counts,
                QObject* parent = nullptr);
    ~DataUpdater() override;

    // Appends a step that runs after the counts were recomputed.
    void addRefreshStep(std::function<void()> step);

signals:
    // The histories could not be read; they are empty for this run, and the later steps
    // still run so that every object agrees with them. Emitted before `finished`.
    void error(const QString& message);
    void finished();

public slots:
    void process();

private:
    ControllerI& releases_;
    ControllerI& sites_;
    ControllerI& years_;
    DetectionSequenceController* sequences_ = nullptr;
    NextDetectionsI& counts_;
    std::vector<std::function<void()>> refreshSteps_;
};

} // namespace rivulet
