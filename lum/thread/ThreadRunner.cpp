#include "lum/thread/ThreadRunner.h"

#include "lum/thread/ThreadRunnable.h"

#include <QMutexLocker>

namespace lum {

ThreadRunner::ThreadRunner(QObject* parent) : QThread(parent) {}

ThreadRunner::~ThreadRunner()
{
    // A runner destroyed while its thread runs would crash the process;
    // ask the jobs to stop and wait for them instead.
    if (isRunning()) {
        cancel();
        wait();
    }
}

void ThreadRunner::setRunnable(ThreadRunnable* job)
{
    QMutexLocker lock(&m_mutex);
    m_runnables.clear();
    if (job)
        m_runnables.append(job);
}

void ThreadRunner::setRunnables(const QList<ThreadRunnable*>& jobs)
{
    QMutexLocker lock(&m_mutex);
    m_runnables = jobs;
}

QList<ThreadRunnable*> ThreadRunner::runnables() const
{
    QMutexLocker lock(&m_mutex);
    return m_runnables;
}

void ThreadRunner::start()
{
    m_canceled = false;
    m_errorCode = JobError::None;
    {
        QMutexLocker lock(&m_mutex);
        m_errorText.clear();
    }
    QThread::start(QThread::InheritPriority);
}

QByteArray ThreadRunner::errorMessage() const
{
    QMutexLocker lock(&m_mutex);
    return m_errorMessage;
}

void ThreadRunner::setNumSteps(int n)
{
    m_numSteps = n;
    m_lastPercent = 0;
    emit percentComplete(0);
}

void ThreadRunner::setStep(int i)
{
    if (m_numSteps < 1)
        return;
    if (i == 0) {
        emit percentComplete(0);
        return;
    }
    // 64-bit product: step counts near INT_MAX / 100 must not overflow.
    const int percent = static_cast<int>(static_cast<qint64>(i) * 100 / m_numSteps.load());
    if (percent > m_lastPercent.load()) {
        m_lastPercent = percent;
        emit percentComplete(percent);
    }
}

void ThreadRunner::setError(JobError code, const QString& text)
{
    {
        QMutexLocker lock(&m_mutex);
        m_errorMessage = text.toLatin1();
        m_errorText = text;
    }
    m_errorCode = code == JobError::None ? JobError::Failed : code;
}

void ThreadRunner::setErrorMessage(const QString& text)
{
    setError(JobError::Failed, text);
}

void ThreadRunner::clearErrorMessage()
{
    QMutexLocker lock(&m_mutex);
    m_errorMessage.clear();
}

void ThreadRunner::setCanceled(bool value)
{
    m_canceled = value;
}

void ThreadRunner::cancel()
{
    setCanceled(true);
}

void ThreadRunner::run()
{
    const QList<ThreadRunnable*> jobs = runnables();
    if (jobs.isEmpty())
        return;
    for (ThreadRunnable* job : jobs) {
        if (m_canceled || hasFailed())
            break;
        job->run();
    }
    if (m_canceled) {
        emit runCanceled();
    } else if (hasFailed()) {
        QString text;
        {
            QMutexLocker lock(&m_mutex);
            text = m_errorText;
        }
        emit runFailed(static_cast<int>(errorCode()), text);
    } else {
        emit runComplete();
    }
}

} // namespace lum
