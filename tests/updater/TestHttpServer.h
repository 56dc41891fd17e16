#pragma once

// A small HTTP/1.1 server on 127.0.0.1 for the updater's tests: fixed
// answers per path, sent whole or in timed pieces, with or without a
// Content-Length. Every connection is closed after its answer.

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTcpServer>
#include <QUrl>

class TestHttpServer : public QObject
{
    Q_OBJECT
public:
    struct Route
    {
        int status = 200;
        QByteArray reason = "OK";
        QByteArray body;
        QList<QPair<QByteArray, QByteArray>> headers;
        bool sendLength = true;
        // 0: everything at once; otherwise pieces of this size, one per tick.
        int pieceSize = 0;
        int pieceIntervalMs = 10;
        // When not negative: the head announces the whole body, yet the
        // connection closes after this many bytes of it.
        int cutAfter = -1;
    };

    explicit TestHttpServer(QObject* parent = nullptr);

    bool listen();
    quint16 port() const { return m_server.serverPort(); }
    QUrl url(const QString& path) const;

    void setRoute(const QByteArray& path, const Route& route);
    void setFile(const QByteArray& path, const QByteArray& body);

    // "GET /a" when a request arrives, "done /a" when its answer is out.
    QStringList log() const { return m_log; }
    QStringList requestedPaths() const;

    static QByteArray patternBody(int size, int seed);

signals:
    void requestSeen(const QByteArray& path);

private:
    void serve(class QTcpSocket* socket, const QByteArray& path);

    QTcpServer m_server;
    QHash<QByteArray, Route> m_routes;
    QStringList m_log;
};
