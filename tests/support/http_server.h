#pragma once

#include <QAbstractHttpServer>
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSslConfiguration>
#include <QUrl>

namespace support {

// A real HTTP server on 127.0.0.1 at a free port. It records every request
// and answers with what the test scripted for the path (or 200 and an empty
// body). A test that needs a slow server sets a delay.
class LocalHttpServer : public QAbstractHttpServer {
public:
    struct Request {
        QByteArray method;
        QUrl url; // path and query as received, percent-encoding kept
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
        QByteArray header(const QByteArray& name) const;
    };

    LocalHttpServer();
    // The same server over HTTPS, answering the handshake with tls.
    explicit LocalHttpServer(const QSslConfiguration& tls);

    quint16 port() const { return m_port; }
    // "127.0.0.1:port": what goes where the configuration names a server.
    QString hostPort() const;
    QString baseUrl() const { return m_scheme + QStringLiteral("://") + hostPort(); }

    void answer(const QString& path, const QByteArray& body,
                const QByteArray& contentType = "text/html; charset=utf-8", int status = 200);
    // Answers the path with a redirect (302 Found) to `to`.
    void redirect(const QString& path, const QUrl& to);
    // Holds every answer back this many milliseconds (the UI stays live).
    void setDelay(int ms) { m_delayMs = ms; }

    const QList<Request>& requests() const { return m_requests; }
    // Waits (processing events) until at least n requests arrived.
    bool waitForRequests(int n, int timeoutMs = 5000);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    struct Answer {
        QByteArray body;
        QByteArray contentType;
        int status = 200;
        QByteArray location; // a redirect's target, when set
    };
    QHash<QString, Answer> m_answers;
    QList<Request> m_requests;
    QString m_scheme = QStringLiteral("http");
    quint16 m_port = 0;
    int m_delayMs = 0;
};

} // namespace support
