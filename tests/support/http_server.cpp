#include "support/http_server.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QPointer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <memory>

namespace support {

QByteArray LocalHttpServer::Request::header(const QByteArray& name) const {
    for (const auto& h : headers)
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    return {};
}

LocalHttpServer::LocalHttpServer() {
    m_port = listen(QHostAddress::LocalHost, 0);
    if (m_port == 0)
        QTest::qFail("the local HTTP server could not listen", __FILE__, __LINE__);
}

LocalHttpServer::LocalHttpServer(const QSslConfiguration& tls)
    : m_scheme(QStringLiteral("https")) {
    sslSetup(tls);
    m_port = listen(QHostAddress::LocalHost, 0);
    if (m_port == 0)
        QTest::qFail("the local HTTPS server could not listen", __FILE__, __LINE__);
}

QString LocalHttpServer::hostPort() const {
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

void LocalHttpServer::answer(const QString& path, const QByteArray& body,
                             const QByteArray& contentType, int status) {
    m_answers.insert(path, {body, contentType, status, {}});
}

void LocalHttpServer::redirect(const QString& path, const QUrl& to) {
    m_answers.insert(path, {{}, "text/html", 302, to.toEncoded()});
}

bool LocalHttpServer::waitForRequests(int n, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (m_requests.size() < n && !deadline.hasExpired())
        QTest::qWait(10);
    return m_requests.size() >= n;
}

bool LocalHttpServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    QByteArray method;
    switch (request.method()) {
    case QHttpServerRequest::Method::Get:
        method = "GET";
        break;
    case QHttpServerRequest::Method::Post:
        method = "POST";
        break;
    case QHttpServerRequest::Method::Put:
        method = "PUT";
        break;
    case QHttpServerRequest::Method::Delete:
        method = "DELETE";
        break;
    case QHttpServerRequest::Method::Head:
        method = "HEAD";
        break;
    default:
        method = "OTHER";
        break;
    }
    m_requests.append({method, request.url(), request.headers(), request.body()});
    const Answer a = m_answers.value(request.url().path(), Answer{{}, "text/html", 200, {}});
    auto responder = std::make_shared<QHttpServerResponder>(makeResponder(request, socket));
    QPointer<QTcpSocket> alive(socket);
    auto reply = [responder, a, alive] {
        if (!alive) // the client gave up waiting
            return;
        const auto status = QHttpServerResponder::StatusCode(a.status);
        if (a.location.isEmpty())
            responder->write(a.body, a.contentType, status);
        else
            responder->write(a.body, {{"Content-Type", a.contentType}, {"Location", a.location}},
                             status);
    };
    if (m_delayMs > 0)
        QTimer::singleShot(m_delayMs, this, reply); // later, without holding up the event loop
    else
        reply();
    return true;
}

void LocalHttpServer::missingHandler(const QHttpServerRequest&, QTcpSocket*) {}

} // namespace support
