#pragma once

#include <QObject>
#include <QThread>

#include <functional>
#include <memory>
#include <utility>

namespace lum {

// Runs a worker object on a plain thread of its own. The worker offers a
// slot `process()` that does the whole job and a signal `finished()` that it
// emits last; it reports through its own signals, which reach receivers on
// the calling thread queued. When `finished` is emitted the thread ends its
// event loop, and worker and thread delete themselves, so the caller keeps
// no pointer to either once the job is running.
//
//   lum::WorkerThread::run(std::make_unique<AgeDataLoader>(file, tags),
//                          [this](AgeDataLoader* loader, QThread* thread) {
//                              connect(loader, &AgeDataLoader::message, this, &W::out);
//                              connect(thread, &QThread::finished, this, &W::onDone);
//                          });
class WorkerThread
{
public:
    // Creates the thread, moves the worker to it and makes the four
    // connections that drive and end it: started -> process, finished ->
    // quit, finished -> worker deleteLater, thread finished -> thread
    // deleteLater. `connectJob(worker, thread)` then adds the job's own
    // connections, before the thread starts (with the caller's priority) so
    // that no signal is missed. Returns the running thread.
    template <typename Worker, typename ConnectJob>
    static QThread* run(std::unique_ptr<Worker> worker, ConnectJob&& connectJob);

    template <typename Worker>
    static QThread* run(std::unique_ptr<Worker> worker)
    {
        return run(std::move(worker), [](Worker*, QThread*) {});
    }

    // The same, for a caller on a thread without a running event loop (the
    // command-line tool): returns once the worker has finished, after its
    // queued signals were delivered and both objects were deleted.
    template <typename Worker, typename ConnectJob>
    static void runAndWait(std::unique_ptr<Worker> worker, ConnectJob&& connectJob);

private:
    template <typename Worker>
    static QThread* wire(std::unique_ptr<Worker> worker);
    // Runs a local event loop until `thread` has finished, then deletes
    // what the job left for deferred deletion.
    static void waitFor(QThread* thread, const std::function<void(QThread*)>& start);
};

template <typename Worker>
QThread* WorkerThread::wire(std::unique_ptr<Worker> worker)
{
    auto thread = std::make_unique<QThread>();
    Worker* job = worker.get();
    job->moveToThread(thread.get());
    QObject::connect(thread.get(), &QThread::started, job, &Worker::process);
    // Direct: the worker's thread ends its own loop, so the job ends even
    // when the caller's thread does not process events.
    QObject::connect(job, &Worker::finished, thread.get(), &QThread::quit, Qt::DirectConnection);
    QObject::connect(job, &Worker::finished, job, &QObject::deleteLater);
    QObject::connect(thread.get(), &QThread::finished, thread.get(), &QObject::deleteLater);
    // From here on the objects own themselves through deleteLater.
    worker.release();
    return thread.release();
}

template <typename Worker, typename ConnectJob>
QThread* WorkerThread::run(std::unique_ptr<Worker> worker, ConnectJob&& connectJob)
{
    Worker* job = worker.get();
    QThread* thread = wire(std::move(worker));
    std::forward<ConnectJob>(connectJob)(job, thread);
    thread->start(QThread::InheritPriority);
    return thread;
}

template <typename Worker, typename ConnectJob>
void WorkerThread::runAndWait(std::unique_ptr<Worker> worker, ConnectJob&& connectJob)
{
    Worker* job = worker.get();
    QThread* thread = wire(std::move(worker));
    std::forward<ConnectJob>(connectJob)(job, thread);
    waitFor(thread, [](QThread* t) { t->start(QThread::InheritPriority); });
}

} // namespace lum
