#pragma once

#include <QByteArray>
#include <QTcpServer>
#include <QUrl>

namespace rivulet::test {

// A minimal HTTP server on 127.0.0.1 for download tests. It answers every
// GET with the configured status and body, or, when hung, accepts the
// request and never answers. It runs on the test's thread: the client's
// local event loop drives it.
class LocalHttpServer
{
public:
    LocalHttpServer();

    void serve(const QByteArray& body, int statusCode = 200);
    void hang() { m_hung = true; }

    QUrl url() const;
    int requestCount() const { return m_requests; }

    // An address on which nothing listens, so connecting fails at once.
    static QUrl closedUrl();

private:
    void onNewConnection();

    QTcpServer m_server;
    QByteArray m_body;
    int m_statusCode = 200;
    bool m_hung = false;
    int m_requests = 0;
};

} // namespace rivulet::test
