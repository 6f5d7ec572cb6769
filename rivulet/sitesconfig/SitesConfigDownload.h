#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <utility>

namespace rivulet {

// Fetches one file over HTTP on the calling thread. The request runs in a
// local event loop, so it works on a job's worker thread and does not need
// (or block) the GUI thread's loop. A request that has not finished within
// the time-out is aborted, so a hung server cannot hang the caller.
class SitesConfigDownload
{
public:
    static constexpr int defaultTimeoutMs = 30000;

    explicit SitesConfigDownload(QUrl url, int timeoutMs = defaultTimeoutMs)
        : m_url(std::move(url)), m_timeoutMs(timeoutMs)
    {
    }

    // True when the whole body arrived without error.
    bool fetch();

    const QByteArray& body() const { return m_body; }
    // Why the last fetch failed (for logs); empty after a success.
    const QString& errorString() const { return m_errorString; }
    bool timedOut() const { return m_timedOut; }

private:
    QUrl m_url;
    int m_timeoutMs = defaultTimeoutMs;
    QByteArray m_body;
    QString m_errorString;
    bool m_timedOut = false;
};

} // namespace rivulet
