#pragma once

#include <QHostAddress>
#include <QList>
#include <QTcpSocket>
#include <QTest>
#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

// A client that writes exactly the bytes a test gives it, so it can send what
// no HTTP library would: half a request, a malformed one, three at once. It
// waits through the event loop, so a server whose pages run on the test's
// thread keeps answering meanwhile.
class RawClient {
public:
    struct Answer {
        int status = 0;
        QByteArray head; // status line and header fields
        QByteArray body;
    };

    // Connects to 127.0.0.1:port, from the address `from` when given (any
    // 127.x.y.z works on Linux's loopback: a second client address).
    explicit RawClient(quint16 port, const QHostAddress& from = {}) {
        QObject::connect(&m_socket, &QTcpSocket::readyRead, &m_socket,
                         [this] { m_data += m_socket.readAll(); });
        if (!from.isNull())
            m_socket.bind(from);
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        [[maybe_unused]] const bool settled = QTest::qWaitFor(
            [this] {
                return m_socket.state() != QAbstractSocket::ConnectingState &&
                       m_socket.state() != QAbstractSocket::HostLookupState;
            },
            10000);
    }

    bool isOpen() const { return m_socket.state() == QAbstractSocket::ConnectedState; }

    void send(const QByteArray& bytes) {
        m_socket.write(bytes);
        m_socket.flush();
    }

    // Waits for `count` whole answers (each with a Content-Length); returns
    // the answers that came.
    QList<Answer> answers(int count, int ms = 20000) {
        QList<Answer> got;
        [[maybe_unused]] const bool all = QTest::qWaitFor(
            [&] {
                while (got.size() < count) {
                    Answer a;
                    if (!take(a))
                        break;
                    got << a;
                }
                return got.size() >= count || (!isOpen() && m_socket.bytesAvailable() == 0);
            },
            ms);
        return got;
    }

    // True once the server has closed the connection.
    bool waitClosed(int ms = 30000) {
        return QTest::qWaitFor([this] { return !isOpen(); }, ms);
    }

    QByteArray received() const { return m_data; }

    // Sends a request of megabytes while reading: a server that answers
    // before reading it all closes the connection under the writer, and a
    // QTcpSocket whose write fails drops the answer it had not read yet.
    static QByteArray exchangeWhole(quint16 port, const QByteArray& request) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            ::close(fd);
            return {};
        }
        std::thread writer([&] {
            for (qsizetype at = 0; at < request.size();) {
                const ssize_t n =
                    ::send(fd, request.constData() + at, size_t(request.size() - at), MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                at += n;
            }
        });
        QByteArray got;
        std::atomic<bool> done{false};
        std::thread reader([&] {
            char buffer[65536];
            for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
                got.append(buffer, n);
            done = true;
        });
        [[maybe_unused]] const bool ended = QTest::qWaitFor([&] { return done.load(); }, 30000);
        ::shutdown(fd, SHUT_RDWR);
        writer.join();
        reader.join();
        ::close(fd);
        return got;
    }

private:
    bool take(Answer& a) {
        const qsizetype end = m_data.indexOf("\r\n\r\n");
        if (end < 0)
            return false;
        a.head = m_data.left(end);
        a.status = a.head.mid(9, 3).toInt();
        qsizetype length = 0;
        for (const QByteArray& line : a.head.split('\n'))
            if (line.toLower().startsWith("content-length:"))
                length = line.mid(15).trimmed().toLongLong();
        if (m_data.size() < end + 4 + length)
            return false;
        a.body = m_data.mid(end + 4, length);
        m_data.remove(0, end + 4 + length);
        return true;
    }

    QTcpSocket m_socket;
    QByteArray m_data;
};
