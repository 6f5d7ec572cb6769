#pragma once

#include "lum/thread/ThreadRunnable.h"

#include <QByteArray>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

namespace rivulet::test {

// A minimal HTTP server on 127.0.0.1 for download tests. It answers every GET with the
// configured status and body, or, when hung, accepts the request and never answers. It runs
// on the test's thread: the client's local event loop drives it.
class LocalHttpServer
{
public:
    LocalHttpServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server,
                         [this] { onNewConnection(); });
    }

    void serve(const QByteArray& body, int statusCode = 200)
    {
        m_body = body;
        m_statusCode = statusCode;
        m_hung = false;
    }
    void hang() { m_hung = true; }

    QUrl url() const { return urlOn(m_server.serverPort()); }
    int requestCount() const { return m_requests; }

    // An address on which nothing listens, so connecting fails at once.
    static QUrl closedUrl()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        return urlOn(probe.serverPort());
    }

private:
    static QUrl urlOn(quint16 port)
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/rivulet/sites_config.txt").arg(port));
    }

    void onNewConnection()
    {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            // The socket is a child of the server; the request buffer lives on it.
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                QByteArray request = socket->property("request").toByteArray() + socket->readAll();
                socket->setProperty("request", request);
                if (!request.contains("\r\n\r\n"))
                    return;
                ++m_requests;
                if (m_hung)
                    return;
                const QByteArray reason = m_statusCode == 200 ? "OK" : "Error";
                socket->write("HTTP/1.1 " + QByteArray::number(m_statusCode) + ' ' + reason +
                              "\r\nContent-Type: text/plain\r\nContent-Length: " +
                              QByteArray::number(m_body.size()) + "\r\nConnection: close\r\n\r\n" +
                              m_body);
                socket->disconnectFromHost();
            });
        }
    }

    QTcpServer m_server;
    QByteArray m_body;
    int m_statusCode = 200;
    bool m_hung = false;
    int m_requests = 0;
};

// A job without a runner that keeps what it was asked to report, so tests can check the
// messages a job would send to the output dock.
class RecordingJob : public lum::ThreadRunnable
{
public:
    void run() override {}
    void status(const QString& text) override { statuses << text; }
    void warning(const QString& text) override { warnings << text; }
    void setErrorMessage(const QString& text) override { errors << text; }

    QStringList statuses;
    QStringList warnings;
    QStringList errors;
};

} // namespace rivulet::test
