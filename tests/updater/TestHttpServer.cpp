#include "TestHttpServer.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

TestHttpServer::TestHttpServer(QObject* parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                // Requests are tiny; wait until the header block is complete.
                if (socket->property("served").toBool())
                    return;
                QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
                socket->setProperty("buffer", buffer);
                if (!buffer.contains("\r\n\r\n"))
                    return;
                socket->setProperty("served", true);
                const QList<QByteArray> requestLine = buffer.left(buffer.indexOf("\r\n")).split(' ');
                serve(socket, requestLine.value(1));
            });
        }
    });
}

bool TestHttpServer::listen()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QUrl TestHttpServer::url(const QString& path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path));
}

void TestHttpServer::setRoute(const QByteArray& path, const Route& route)
{
    m_routes.insert(path, route);
}

void TestHttpServer::setFile(const QByteArray& path, const QByteArray& body)
{
    Route route;
    route.body = body;
    m_routes.insert(path, route);
}

QStringList TestHttpServer::requestedPaths() const
{
    QStringList paths;
    for (const QString& entry : m_log) {
        if (entry.startsWith(QLatin1String("GET ")))
            paths << entry.mid(4);
    }
    return paths;
}

QByteArray TestHttpServer::patternBody(int size, int seed)
{
    // Every byte value occurs, zero bytes and line ends included.
    QByteArray body(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        body[i] = char((i * 7 + seed * 13 + i / 251) & 0xff);
    return body;
}

void TestHttpServer::serve(QTcpSocket* socket, const QByteArray& path)
{
    m_log << QStringLiteral("GET ") + QString::fromLatin1(path);
    emit requestSeen(path);

    Route route;
    if (m_routes.contains(path)) {
        route = m_routes.value(path);
    } else {
        route.status = 404;
        route.reason = "Not Found";
        route.body = "no such file\n";
    }

    QByteArray head = "HTTP/1.1 " + QByteArray::number(route.status) + ' ' + route.reason + "\r\n";
    head += "Content-Type: application/octet-stream\r\nConnection: close\r\n";
    if (route.sendLength)
        head += "Content-Length: " + QByteArray::number(route.body.size()) + "\r\n";
    for (const auto& header : std::as_const(route.headers))
        head += header.first + ": " + header.second + "\r\n";
    head += "\r\n";

    const QString done = QStringLiteral("done ") + QString::fromLatin1(path);
    if (route.cutAfter >= 0) {
        socket->write(head + route.body.left(route.cutAfter));
        m_log << done;
        socket->disconnectFromHost();
        return;
    }
    if (route.pieceSize <= 0) {
        socket->write(head + route.body);
        m_log << done;
        socket->disconnectFromHost();
        return;
    }

    socket->write(head);
    auto* timer = new QTimer(socket);
    timer->setInterval(route.pieceIntervalMs);
    auto offset = std::make_shared<int>(0);
    QPointer<QTcpSocket> guard(socket);
    connect(timer, &QTimer::timeout, socket, [this, guard, timer, route, offset, done] {
        if (!guard)
            return;
        guard->write(route.body.mid(*offset, route.pieceSize));
        *offset += route.pieceSize;
        if (*offset >= route.body.size()) {
            timer->stop();
            m_log << done;
            guard->disconnectFromHost();
        }
    });
    timer->start();
}
