#pragma once

#include "httpd/message.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <functional>
#include <memory>

namespace httpd {

struct Exchange;

// Where a server listens and what it bears from its clients.
struct Settings {
    QHostAddress address = QHostAddress::LocalHost;
    quint16 port = 0; // 0: any free port (Server::port() tells which)
    int maxConnections = 500;
    int maxConnectionsPerClient = 32;
    int idleTimeoutSeconds = 30;
    // From a connection's start (or the end of its previous answer plus the
    // idle time) until the request's header has all arrived.
    int requestTimeoutSeconds = 10;
    int maxUrlBytes = 8 * 1024;        // request-target as sent; over it: 414
    int maxHeaderBytes = 16 * 1024;    // all header fields; over it: 431
    qint64 maxBodyBytes = 1024 * 1024; // over it: 413
    // PEM text; both empty: plain HTTP.
    QByteArray tlsCertificate, tlsKey;
};

// The service's answer to one request; it runs on the thread that owns the
// Server.
using Handler = std::function<Response(const Request&)>;
// Sends the answer to a request; callable from any thread, once. After the
// server stopped (or for a connection it closed) it does nothing.
using Reply = std::function<void(Response)>;
// A handler that may answer later, from another thread: it is called on the
// owner's thread and hands its answer to `reply` when it has one, so a page
// that waits on a device holds neither the owner's thread nor the server's.
using DeferredHandler = std::function<void(const Request&, Reply)>;
// Whether a client may connect at all; it runs on the server's own thread as
// each connection is accepted, before anything of it is read.
using AcceptPolicy = std::function<bool(const QHostAddress&)>;

// An HTTP/1.1 server on libmicrohttpd. Its own thread accepts, reads, answers
// what breaks the limits and closes timed-out connections; a complete
// request waits (its connection suspended) while the handler answers it on
// the owner's thread, so a slow page never stops the others' traffic.
class Server : public QObject {
public:
    Server(Settings settings, Handler handler, AcceptPolicy accept = {});
    Server(Settings settings, DeferredHandler handler, AcceptPolicy accept = {});
    ~Server() override;

    // Listens; false with errorString() when it cannot.
    bool start();
    quint16 port() const { return m_port; }
    QString errorString() const { return m_error; }

    // Closes every connection, also those whose answer is still being made,
    // and stops the server's thread. Safe to call twice.
    void stop();

private:
    struct Loop;
    struct Gate;
    void answerArrived();
    void answer(const std::shared_ptr<Exchange>& exchange);

    Settings m_settings;
    DeferredHandler m_handler;
    AcceptPolicy m_accept;
    std::shared_ptr<Gate> m_gate; // how a late reply finds the server, if still running
    std::unique_ptr<Loop> m_loop;
    quint16 m_port = 0;
    QString m_error;
};

// At most `most` characters of a path for a log line or an error page; a
// client may send a path of megabytes.
QString shortened(const QString& path, qsizetype most = 200);

// A client's address for logs and pages: an IPv4 client on a dual-stack
// socket as "10.0.0.5", not "::ffff:10.0.0.5".
QString clientText(const QHostAddress& address);

} // namespace httpd
