#include "lum/thread/WorkerThread.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>

namespace lum {

void WorkerThread::waitFor(QThread* thread, const std::function<void(QThread*)>& start)
{
    QEventLoop loop;
    // Queued: the loop quits only after the worker's earlier signals, which
    // were queued before, have been delivered.
    QObject::connect(thread, &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    start(thread);
    loop.exec();
    // The thread's deleteLater was posted inside the loop above; deliver it
    // now, as no outer event loop may ever run.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace lum
