#include "rivulet/sitesconfig/SitesConfigDownload.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace rivulet {

bool SitesConfigDownload::fetch()
{
    m_body.clear();
    m_errorString.clear();
    m_timedOut = false;

    // Created here so that the manager and its reply belong to the calling
    // thread; the manager owns the reply.
    QNetworkAccessManager manager;
    QNetworkRequest request(m_url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = manager.get(request);

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, reply, [this, reply] {
        m_timedOut = true;
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timer.start(m_timeoutMs);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    timer.stop();

    if (reply->error() != QNetworkReply::NoError) {
        m_errorString = m_timedOut ? QStringLiteral("No reply within %1 ms").arg(m_timeoutMs)
                                   : reply->errorString();
        return false;
    }
    m_body = reply->readAll();
    return true;
}

} // namespace rivulet
