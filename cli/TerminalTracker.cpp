#include "cli/TerminalTracker.h"

#include "cli/CliOutput.h"
#include "lum/thread/ThreadRunnable.h"

#include <QEventLoop>

#include <atomic>
#include <csignal>

namespace rivulet::cli {

namespace {

// The runner of the job that Ctrl-C stops. Only a lock-free atomic store of the runner's
// cancel flag happens inside the handler, which is safe there.
std::atomic<lum::ThreadRunner*> interruptible{nullptr};

extern "C" void onInterrupt(int)
{
    if (lum::ThreadRunner* runner = interruptible.load())
        runner->cancel();
}

// Routes SIGINT to the running job for as long as it lives; outside a job Ctrl-C ends the
// process as usual.
class InterruptScope
{
public:
    explicit InterruptScope(lum::ThreadRunner& runner)
    {
        interruptible = &runner;
        struct sigaction action = {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &m_previous);
    }
    ~InterruptScope()
    {
        sigaction(SIGINT, &m_previous, nullptr);
        interruptible = nullptr;
    }
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

private:
    struct sigaction m_previous = {};
};

} // namespace

TerminalTracker::TerminalTracker(CliOutput& out) : m_out(out)
{
    using lum::ThreadRunner;
    auto statusLine = [this](const QString& text) { m_out.status(text); };
    QObject::connect(&m_runner, &ThreadRunner::status, &m_receiver, statusLine);
    QObject::connect(&m_runner, &ThreadRunner::progressStatus, &m_receiver, statusLine);
    QObject::connect(&m_runner, &ThreadRunner::warning, &m_receiver,
                     [this](const QString& text) { m_out.warning(text); });
    QObject::connect(&m_runner, &ThreadRunner::errorStatus, &m_receiver,
                     [this](const QString& text) { m_out.error(text); });
    QObject::connect(&m_runner, &ThreadRunner::runFailed, &m_receiver,
                     [this](int, const QString& text) { m_out.error(text); });
    QObject::connect(&m_runner, &ThreadRunner::percentComplete, &m_receiver,
                     [this](int percent) { m_out.progress(percent); });
}

TerminalTracker::~TerminalTracker() = default;

TerminalTracker::Outcome TerminalTracker::run(lum::ThreadRunnable& job)
{
    if (job.runner() != &m_runner) {
        m_out.error(QStringLiteral("internal: a job was created for another runner"));
        return Failed;
    }
    m_runner.clearErrorMessage();
    m_runner.setRunnable(&job);
    {
        const InterruptScope interrupt(m_runner);
        QEventLoop loop;
        // Queued after every report of the run, so all of them are printed before the loop
        // ends.
        QObject::connect(&m_runner, &QThread::finished, &loop, &QEventLoop::quit);
        m_runner.start();
        loop.exec();
        m_runner.wait();
    }
    m_out.endProgress();
    if (m_runner.isCanceled())
        return Canceled;
    return m_runner.hasFailed() ? Failed : Complete;
}

} // namespace rivulet::cli
