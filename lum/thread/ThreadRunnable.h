#pragma once

#include "lum/core/Error.h"
#include "lum/core/JobError.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>

namespace lum {

class ThreadRunner;

// One background job. `run` does the whole job on the runner's thread and
// reports only through the operations below, which become signals of the
// runner; a job never touches a widget. Without a runner the job can still
// run directly: errors then go to standard output.
//
// Contract: announce the number of steps with setNumSteps and report each
// finished step with setStep; one-line captions go to progressStatus, log
// lines to status, recoverable problems to warning; on a fatal problem call
// fail (or setErrorMessage, which fails with JobError::Failed) and return
// from run; the run then ends with runFailed, not runCanceled. Cancel is
// only for a stop that was asked for.
class ThreadRunnable : public QObject
{
    Q_OBJECT

public:
    explicit ThreadRunnable(ThreadRunner* runner = nullptr, QObject* parent = nullptr);

    ThreadRunner* runner() const { return m_runner; }
    // This job's own cancel state (set through setCanceled).
    bool isCanceled() const { return m_canceled.load(); }
    // True when a stop was asked for: the runner's flag when there is a
    // runner, else this job's own. Jobs poll this between steps.
    bool cancelRequested() const;
    QByteArray errorMessage() const { return m_errorMessage; }
    // The failure of this job's last run; JobError::None when it did not fail.
    JobError errorCode() const { return m_errorCode; }
    bool hasFailed() const { return m_errorCode != JobError::None; }

    virtual void run() = 0;
    virtual void progressStatus(const QString& text);
    virtual void status(const QString& text);
    virtual void setErrorMessage(const QString& text);
    virtual void warning(const QString& text);
    virtual void setNumSteps(int n);
    virtual void setStep(int i);
    virtual void busy();
    virtual void setCanceled(bool value);

    void errorStatus(const QString& text);
    // Records the failure (code and text) and hands it to the runner
    // (through setErrorMessage, which fails with JobError::Failed when no
    // code was given).
    void fail(JobError code, const QString& text);
    // Fails with the error of an operation the job called, passed on as it is.
    void fail(const Error& error);
    // Forgets the failure of an earlier run; a job reused for a new run
    // calls it first.
    void clearError();

private:
    ThreadRunner* m_runner = nullptr; // not owned
    std::atomic<bool> m_canceled{false};
    QByteArray m_errorMessage;
    JobError m_errorCode = JobError::None;
};

} // namespace lum
