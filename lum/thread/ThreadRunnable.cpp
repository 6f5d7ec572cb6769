#include "lum/thread/ThreadRunnable.h"

#include "lum/thread/ThreadRunner.h"

#include <cstdio>

namespace lum {

namespace {
void writeToStdout(const char* prefix, const QString& text)
{
    std::fputs(prefix, stdout);
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}
} // namespace

ThreadRunnable::ThreadRunnable(ThreadRunner* runner, QObject* parent)
    : QObject(parent), m_runner(runner)
{
}

bool ThreadRunnable::cancelRequested() const
{
    // The runner's flag is reset at every start; this job's own flag is not,
    // so a job reused after a canceled run must not see the old request.
    return m_runner ? m_runner->isCanceled() : m_canceled.load();
}

void ThreadRunnable::progressStatus(const QString& text)
{
    if (m_runner)
        emit m_runner->progressStatus(text);
}

void ThreadRunnable::status(const QString& text)
{
    if (m_runner)
        emit m_runner->status(text);
}

void ThreadRunnable::setErrorMessage(const QString& text)
{
    m_errorMessage = text.toLatin1();
    if (m_errorCode == JobError::None)
        m_errorCode = JobError::Failed;
    if (m_runner)
        m_runner->setError(m_errorCode, text);
    else
        writeToStdout("**** ", text);
}

void ThreadRunnable::fail(JobError code, const QString& text)
{
    // Through the virtual operation, so that a job that watches its own
    // errors sees these too.
    m_errorCode = code == JobError::None ? JobError::Failed : code;
    setErrorMessage(text);
}

void ThreadRunnable::fail(const Error& error)
{
    fail(error.code, error.text());
}

void ThreadRunnable::clearError()
{
    m_errorMessage.clear();
    m_errorCode = JobError::None;
}

void ThreadRunnable::warning(const QString& text)
{
    if (m_runner)
        emit m_runner->warning(text);
}

void ThreadRunnable::setNumSteps(int n)
{
    if (m_runner)
        m_runner->setNumSteps(n);
}

void ThreadRunnable::setStep(int i)
{
    if (m_runner)
        m_runner->setStep(i);
}

void ThreadRunnable::busy()
{
    if (m_runner)
        emit m_runner->busy();
}

void ThreadRunnable::setCanceled(bool value)
{
    m_canceled = value;
    if (m_runner)
        m_runner->setCanceled(value);
}

void ThreadRunnable::errorStatus(const QString& text)
{
    if (m_runner)
        emit m_runner->errorStatus(text);
    else
        writeToStdout("***** ", text);
}

} // namespace lum
