#include "support/hostile_server.h"

#include <QSslServer>
#include <QSslSocket>

namespace support {

namespace {

QByteArray httpAnswer(int status, const QByteArray& reason, const QByteArray& extraHeaders,
                      const QByteArray& body) {
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason +
           "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\n" + extraHeaders + "\r\n" + body;
}

// Not UTF-8 at all: lone continuation bytes, an overlong form, a surrogate.
const QByteArray invalidUtf8 = "\x80\xbf\xc0\xaf\xed\xa0\x80\xff\xfe answer \xc3\x28";

// Writes `bytes` of filler in slices as the client takes them, so the
// server (on the test's own thread) never encrypts or copies more than a few
// slices ahead of the client: a flood the client stops reading stops here
// too, instead of filling the server's memory on the UI thread. Over TLS the
// encrypted bytes wait in a buffer of their own, so both are counted.
void flood(QTcpSocket* socket, qsizetype bytes) {
    static constexpr qsizetype slice = 64 * 1024;
    auto* tls = qobject_cast<QSslSocket*>(socket);
    auto left = std::make_shared<qsizetype>(bytes);
    auto feed = [socket, tls, left] {
        auto pending = [&] {
            return socket->bytesToWrite() + (tls ? tls->encryptedBytesToWrite() : 0);
        };
        while (*left > 0 && pending() < 4 * slice) {
            const qsizetype n = qMin(slice, *left);
            socket->write(QByteArray(n, 'x'));
            *left -= n;
        }
    };
    QObject::connect(socket, &QTcpSocket::bytesWritten, socket, feed);
    if (tls)
        QObject::connect(tls, &QSslSocket::encryptedBytesWritten, socket, feed);
    feed();
}

} // namespace

HostileServer::HostileServer(Mode mode, Protocol protocol)
    : m_mode(mode)
    , m_protocol(protocol) {
    m_server = std::make_unique<QTcpServer>();
    listen(mode);
}

HostileServer::HostileServer(Mode mode, const QSslConfiguration& tls)
    : m_mode(mode)
    , m_protocol(Protocol::Http)
    , m_tls(true) {
    auto server = std::make_unique<QSslServer>();
    server->setSslConfiguration(tls);
    server->setHandshakeTimeout(60000);
    m_server = std::move(server);
    listen(mode);
}

HostileServer::~HostileServer() = default;

void HostileServer::listen(Mode mode) {
    m_server->listen(QHostAddress::LocalHost, 0);
    m_port = m_server->serverPort();
    if (mode == Mode::Refused) {
        // The port was just free; closing it leaves nothing listening there.
        m_server->close();
        return;
    }
    // A TLS server hands out a connection once its handshake is done.
    QObject::connect(m_server.get(), &QTcpServer::pendingConnectionAvailable, m_server.get(),
                     [this] {
                         while (QTcpSocket* socket = m_server->nextPendingConnection())
                             accept(socket);
                     });
}

QString HostileServer::hostPort() const {
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

QString HostileServer::baseUrl() const {
    if (m_protocol == Protocol::Smtp)
        return QStringLiteral("smtp://") + hostPort();
    return (m_tls ? QStringLiteral("https://") : QStringLiteral("http://")) + hostPort();
}

void HostileServer::accept(QTcpSocket* socket) {
    ++m_connections;
    ++m_open;
    QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
        --m_open;
        socket->deleteLater();
    });
    if (m_mode == Mode::Hang)
        return;
    if (m_protocol == Protocol::Smtp) {
        answerSmtp(socket);
        return;
    }
    auto request = std::make_shared<QByteArray>();
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
        *request += socket->readAll();
        // Each complete request head gets its answer; bodies are small and
        // come with their head.
        while (request->contains("\r\n\r\n")) {
            const qsizetype end = request->indexOf("\r\n\r\n") + 4;
            const QByteArray head = request->left(end);
            request->remove(0, end);
            const qsizetype lengthAt = head.toLower().indexOf("content-length:");
            if (lengthAt >= 0) {
                const qsizetype lineEnd = head.indexOf("\r\n", lengthAt);
                const qsizetype length =
                    head.mid(lengthAt + 15, lineEnd - lengthAt - 15).trimmed().toLongLong();
                request->remove(0, qMin(length, request->size()));
            }
            m_path = head.mid(head.indexOf(' ') + 1);
            m_path = m_path.left(m_path.indexOf(' '));
            answerHttp(socket);
        }
    });
}

void HostileServer::answerHttp(QTcpSocket* socket) {
    switch (m_mode) {
    case Mode::ServerError:
        socket->write(httpAnswer(500, "Internal Server Error", {}, "<h1>Internal error</h1>"));
        break;
    case Mode::Huge:
        socket->write(
            httpAnswer(200, "OK", {}, {})
                .replace("Content-Length: 0", "Content-Length: " + QByteArray::number(hugeBytes)));
        flood(socket, hugeBytes);
        break;
    case Mode::InvalidUtf8:
        socket->write(httpAnswer(200, "OK", {}, invalidUtf8));
        break;
    case Mode::RedirectLoop:
        socket->write(
            httpAnswer(302, "Found", "Location: " + baseUrl().toLatin1() + m_path + "\r\n", {}));
        break;
    case Mode::Refused:
    case Mode::Hang:
        break;
    }
}

void HostileServer::answerSmtp(QTcpSocket* socket) {
    switch (m_mode) {
    case Mode::ServerError:
        socket->write("554 5.3.2 Service unavailable\r\n");
        break;
    case Mode::Huge:
        // One endless greeting line.
        socket->write("220-");
        flood(socket, hugeBytes);
        break;
    case Mode::InvalidUtf8:
        // A greeting that is not text, then silence.
        socket->write("220 " + invalidUtf8 + "\r\n");
        break;
    case Mode::RedirectLoop:
    case Mode::Refused:
    case Mode::Hang:
        break;
    }
}

} // namespace support
