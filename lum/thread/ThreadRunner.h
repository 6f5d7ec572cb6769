#pragma once

#include "lum/core/JobError.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>
#include <QThread>

#include <atomic>

namespace lum {

class ThreadRunnable;

// A thread that runs a list of jobs one after the other and relays what
// they report (status lines, progress, warnings, errors) as signals. The
// runner object lives on the thread that created it, so receivers there get
// the signals queued. It is reused: replace the list, then start it again.
//
// A run ends in exactly one of three ways, each followed by `finished`:
// runComplete, runCanceled (a cancel was asked for; it wins over a failure
// that the cancel itself may have caused), or runFailed with the error code
// and text of the job that failed (the jobs after it are not run).
class ThreadRunner : public QThread
{
    Q_OBJECT

public:
    explicit ThreadRunner(QObject* parent = nullptr);
    ~ThreadRunner() override;

    // Replaces the list by the single job; a null job leaves it empty.
    void setRunnable(ThreadRunnable* job);
    // Replaces the list by the given jobs, run in this order. Not owned.
    void setRunnables(const QList<ThreadRunnable*>& jobs);
    QList<ThreadRunnable*> runnables() const;

    // Clears the cancel request and the error of the previous run, then
    // starts the thread with the priority of the creating thread. Clearing
    // here, on the controlling thread, means a cancel that arrives after
    // start() returns is never overwritten by the new thread.
    void start();

    bool isCanceled() const { return m_canceled.load(); }
    // The cancel flag itself, for jobs that poll it while they work. It
    // lives as long as the runner.
    const std::atomic<bool>& canceledFlag() const { return m_canceled; }

    // The last message given to setErrorMessage, as Latin-1.
    QByteArray errorMessage() const;
    // The error of the current or last run; JobError::None when none failed.
    JobError errorCode() const { return m_errorCode.load(); }
    bool hasFailed() const { return errorCode() != JobError::None; }

    int numSteps() const { return m_numSteps.load(); }
    int lastPercent() const { return m_lastPercent.load(); }

    // Progress bookkeeping of the current job; called by the job on the
    // runner's thread (see ThreadRunnable).
    void setNumSteps(int n);
    void setStep(int i);

signals:
    void runComplete();
    void runCanceled();
    void runFailed(int code, const QString& text);
    void percentComplete(int percent);
    void progressStatus(const QString& text);
    void status(const QString& text);
    void errorStatus(const QString& text);
    void warning(const QString& text);
    void busy();

public slots:
    // Records a failure of the running job: the run ends with runFailed,
    // which carries the code and text, after that job returns.
    void setError(lum::JobError code, const QString& text);
    // setError with JobError::Failed.
    void setErrorMessage(const QString& text);
    void clearErrorMessage();
    void setCanceled(bool value);
    void cancel();

protected:
    void run() override;

private:
    // Written by the controlling thread, read by the runner's thread and
    // by polling jobs without a lock.
    std::atomic<bool> m_canceled{false};
    std::atomic<JobError> m_errorCode{JobError::None};
    mutable QMutex m_mutex; // guards m_errorMessage and m_runnables
    QByteArray m_errorMessage;
    QString m_errorText;
    // Written by the job's thread, read by any thread (the window's progress
    // dialog, tests).
    std::atomic<int> m_numSteps{0};
    std::atomic<int> m_lastPercent{0};
    QList<ThreadRunnable*> m_runnables;
};

} // namespace lum
