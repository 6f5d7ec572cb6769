#pragma once

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

    // Starts the thread with the priority of the creating thread.
    void start();

    bool isCanceled() const { return m_canceled.load(); }
    // The cancel flag itself, for jobs that poll it while they work. It
    // lives as long as the runner.
    const std::atomic<bool>& canceledFlag() const { return m_canceled; }

    // The last message given to setErrorMessage, as Latin-1.
    QByteArray errorMessage() const;

    int numSteps() const { return m_numSteps; }
    int lastPercent() const { return m_lastPercent; }

    // Progress bookkeeping of the current job; called by the job on the
    // runner's thread (see ThreadRunnable).
    void setNumSteps(int n);
    void setStep(int i);

signals:
    void runComplete();
    void runCanceled();
    void percentComplete(int percent);
    void progressStatus(const QString& text);
    void status(const QString& text);
    void error(const QString& text);
    void errorStatus(const QString& text);
    void warning(const QString& text);
    void busy();

public slots:
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
    mutable QMutex m_mutex; // guards m_errorMessage and m_runnables
    QByteArray m_errorMessage;
    int m_numSteps = 0;
    int m_lastPercent = 0;
    QList<ThreadRunnable*> m_runnables;
};

} // namespace lum
