#pragma once

#include <QByteArray>
#include <QList>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTcpSocket>
#include <memory>

namespace support {

// An outside service at its worst, on 127.0.0.1: one way of misbehaving per
// server. Http speaks just enough HTTP/1.1 to answer each request; Smtp
// misbehaves from the greeting on. Refused holds a port nothing listens on.
class HostileServer {
public:
    enum class Mode {
        Refused,      // the connection is refused
        Hang,         // takes the connection, never answers
        ServerError,  // HTTP 500 / SMTP 554
        Huge,         // a 50 MB answer
        InvalidUtf8,  // an answer whose text is not UTF-8
        RedirectLoop, // every page redirects to itself (HTTP only)
    };
    enum class Protocol { Http, Smtp };

    static constexpr qsizetype hugeBytes = 50 * 1024 * 1024;

    explicit HostileServer(Mode mode, Protocol protocol = Protocol::Http);
    // HTTPS: the handshake is answered with tls before misbehaving.
    HostileServer(Mode mode, const QSslConfiguration& tls);
    ~HostileServer();

    quint16 port() const { return m_port; }
    QString hostPort() const;
    // "http(s)://127.0.0.1:port" or "smtp://127.0.0.1:port".
    QString baseUrl() const;
    int connections() const { return m_connections; }
    // Connections the client has not closed yet.
    int openConnections() const { return m_open; }

private:
    void listen(Mode mode);
    void accept(QTcpSocket* socket);
    void answerHttp(QTcpSocket* socket);
    void answerSmtp(QTcpSocket* socket);

    Mode m_mode;
    Protocol m_protocol;
    bool m_tls = false;
    std::unique_ptr<QTcpServer> m_server;
    quint16 m_port = 0;
    int m_connections = 0;
    int m_open = 0;
    QByteArray m_path; // of the request answered last
};

} // namespace support
