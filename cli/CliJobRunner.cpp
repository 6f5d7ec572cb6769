#include "cli/CliJobRunner.h"

#include "cli/CliOutput.h"
#include "lum/thread/ThreadRunnable.h"

#include <QEventLoop>

namespace rivulet::cli {

CliJobRunner::CliJobRunner(CliOutput& out) : m_out(out)
{
    using lum::ThreadRunner;
    auto statusLine = [this](const QString& text) { m_out.status(text); };
    QObject::connect(&m_runner, &ThreadRunner::status, &m_receiver, statusLine);
    QObject::connect(&m_runner, &ThreadRunner::progressStatus, &m_receiver, statusLine);
    QObject::connect(&m_runner, &ThreadRunner::warning, &m_receiver,
                     [this](const QString& text) { m_out.warning(text); });
    QObject::connect(&m_runner, &ThreadRunner::errorStatus, &m_receiver,
                     [this](const QString& text) { m_out.error(text); });
    QObject::connect(&m_runner, &ThreadRunner::error, &m_receiver, [this](const QString& text) {
        m_errorReported = true;
        m_out.error(text);
    });
    QObject::connect(&m_runner, &ThreadRunner::percentComplete, &m_receiver,
                     [this](int percent) { m_out.progress(percent); });
    QObject::connect(&m_runner, &ThreadRunner::runCanceled, &m_receiver,
                     [this] { m_canceled = true; });
}

bool CliJobRunner::run(const QList<lum::ThreadRunnable*>& jobs)
{
    for (const lum::ThreadRunnable* job : jobs) {
        if (job && job->runner() != &m_runner) {
            m_out.error(QStringLiteral("internal: a job was created for another runner"));
            return false;
        }
    }
    m_errorReported = false;
    m_canceled = false;
    m_runner.clearErrorMessage();
    m_runner.setRunnables(jobs);
    QEventLoop loop;
    // Queued after every report of the run, so all of them are printed
    // before the loop ends.
    QObject::connect(&m_runner, &QThread::finished, &loop, &QEventLoop::quit);
    m_runner.start();
    loop.exec();
    m_runner.wait();
    m_out.endProgress();
    return !m_errorReported && !m_canceled;
}

bool CliJobRunner::run(lum::ThreadRunnable& job)
{
    return run(QList<lum::ThreadRunnable*>{&job});
}

} // namespace rivulet::cli
