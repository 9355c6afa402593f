#include "oltd/session/transport.h"

#include <libtelnet.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace oltd {

namespace {

// The OLT's WILL ECHO and WILL SGA get DO, its DO NAWS gets WILL NAWS (and
// the size below); libtelnet refuses every option not listed.
const telnet_telopt_t Options[] = {{TELNET_TELOPT_ECHO, TELNET_WONT, TELNET_DO},
                                   {TELNET_TELOPT_SGA, TELNET_WONT, TELNET_DO},
                                   {TELNET_TELOPT_NAWS, TELNET_WILL, TELNET_DONT},
                                   {-1, 0, 0}};

// 500 columns by 50 rows, so long lines and echoes are not wrapped.
const char WindowSize[] = {0x01, static_cast<char>(0xf4), 0x00, 0x32};

QString socketError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Connects without blocking past the deadline; the socket or -1 with *why.
int connectTo(const SessionTarget& t, SteadyClock::time_point deadline, Code* code, QString* why) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const QByteArray port = QByteArray::number(t.port);
    if (const int rc =
            ::getaddrinfo(t.host.toUtf8().constData(), port.constData(), &hints, &found)) {
        *why = QString::fromLocal8Bit(::gai_strerror(rc));
        return -1;
    }
    int fd = -1;
    for (addrinfo* a = found; a && fd < 0; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0)
            continue;
        int error = 0;
        if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            error = errno;
            if (error == EINPROGRESS) {
                pollfd p{fd, POLLOUT, 0};
                const int ready = ::poll(&p, 1, millisecondsLeft(deadline));
                socklen_t len = sizeof error;
                if (ready == 1)
                    ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len);
                else
                    error = ETIMEDOUT, *code = Code::Timeout;
            }
        }
        if (error != 0) {
            *why = socketError(error);
            ::close(fd);
            fd = -1;
        }
    }
    ::freeaddrinfo(found);
    return fd;
}

class TelnetTransport final : public Transport {
public:
    explicit TelnetTransport(int fd)
        : m_fd(fd)
        , m_telnet(telnet_init(Options, &TelnetTransport::event, 0, this)) {}
    ~TelnetTransport() override {
        telnet_free(m_telnet);
        ::close(m_fd);
    }

    Read read(QByteArray* into, SteadyClock::time_point deadline) override {
        while (m_data.isEmpty()) {
            if (m_closed)
                return Read::Closed;
            pollfd p{m_fd, POLLIN, 0};
            const int ready = ::poll(&p, 1, millisecondsLeft(deadline));
            if (ready == 0 && SteadyClock::now() >= deadline)
                return Read::TimedOut;
            if (ready <= 0)
                continue;
            char buf[4096];
            const ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            if (n <= 0)
                return Read::Closed;
            telnet_recv(m_telnet, buf, static_cast<size_t>(n));
        }
        into->append(m_data);
        m_data.clear();
        return Read::Data;
    }

    bool write(const QByteArray& bytes) override {
        telnet_send(m_telnet, bytes.constData(), static_cast<size_t>(bytes.size()));
        return !m_closed;
    }

private:
    static void event(telnet_t* telnet, telnet_event_t* ev, void* self) {
        auto* t = static_cast<TelnetTransport*>(self);
        switch (ev->type) {
        case TELNET_EV_DATA:
            t->m_data.append(ev->data.buffer, static_cast<qsizetype>(ev->data.size));
            break;
        case TELNET_EV_SEND:
            t->sendAll(ev->data.buffer, ev->data.size);
            break;
        case TELNET_EV_DO:
            if (ev->neg.telopt == TELNET_TELOPT_NAWS)
                telnet_subnegotiation(telnet, TELNET_TELOPT_NAWS, WindowSize, sizeof WindowSize);
            break;
        case TELNET_EV_ERROR:
            t->m_closed = true;
            break;
        default:
            break;
        }
    }

    void sendAll(const char* data, size_t size) {
        while (size > 0 && !m_closed) {
            const ssize_t n = ::send(m_fd, data, size, MSG_NOSIGNAL);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                pollfd p{m_fd, POLLOUT, 0};
                ::poll(&p, 1, 1000);
                continue;
            }
            if (n <= 0) {
                m_closed = true;
                return;
            }
            data += n;
            size -= static_cast<size_t>(n);
        }
    }

    int m_fd;
    telnet_t* m_telnet;
    QByteArray m_data;
    bool m_closed = false;
};

} // namespace

Connection openTelnet(const SessionTarget& t, SteadyClock::time_point deadline) {
    Code code = Code::DeviceError;
    QString why;
    const int fd = connectTo(t, deadline, &code, &why);
    if (fd < 0)
        return {nullptr, code,
                QStringLiteral("Cannot reach the OLT over telnet at %1:%2: %3")
                    .arg(t.host)
                    .arg(t.port)
                    .arg(why)};
    return {std::make_unique<TelnetTransport>(fd), Code::Ok, {}};
}

int millisecondsLeft(SteadyClock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 1, 24 * 3600 * 1000));
}

} // namespace oltd
