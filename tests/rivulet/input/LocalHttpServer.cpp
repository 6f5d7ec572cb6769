#include "LocalHttpServer.h"

#include <QTcpSocket>

namespace rivulet::test {

LocalHttpServer::LocalHttpServer()
{
    m_server.listen(QHostAddress::LocalHost);
    QObject::connect(&m_server, &QTcpServer::newConnection, &m_server,
                     [this] { onNewConnection(); });
}

void LocalHttpServer::serve(const QByteArray& body, int statusCode)
{
    m_body = body;
    m_statusCode = statusCode;
    m_hung = false;
}

QUrl LocalHttpServer::url() const
{
    return QUrl(
        QStringLiteral("http://127.0.0.1:%1/rivulet/sites_config.txt").arg(m_server.serverPort()));
}

QUrl LocalHttpServer::closedUrl()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return QUrl(QStringLiteral("http://127.0.0.1:%1/rivulet/sites_config.txt").arg(port));
}

void LocalHttpServer::onNewConnection()
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

} // namespace rivulet::test
