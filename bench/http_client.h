#pragma once

#include <QCoreApplication>
#include <QtGlobal>
#include <algorithm>
#include <arpa/inet.h>
#include <cstdlib>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

// A blocking HTTP/1.1 keep-alive client; it runs on its own thread while the
// server answers on the main thread's event loop.
class Client {
public:
    explicit Client(quint16 port, in_addr_t from = INADDR_ANY)
        : m_port(port)
        , m_from(from) {}
    ~Client() { close(); }

    // The body's size, or -1 when the exchange failed; *status receives
    // the answer's status code.
    long get(const std::string& path, int* status = nullptr) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (m_fd < 0 && !connect())
                return -1;
            const std::string request =
                "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: keep-alive\r\n\r\n";
            if (::send(m_fd, request.data(), request.size(), MSG_NOSIGNAL) ==
                ssize_t(request.size())) {
                const long n = readAnswer(status);
                if (n >= 0)
                    return n;
            }
            close(); // the server closed the connection: open a new one
        }
        return -1;
    }

private:
    bool connect() {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        const int one = 1;
        ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (m_from != INADDR_ANY) {
            sockaddr_in local{};
            local.sin_family = AF_INET;
            local.sin_addr.s_addr = m_from;
            ::bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
        }
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(m_port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            close();
            return false;
        }
        return true;
    }
    void close() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    long readAnswer(int* status) {
        std::string data;
        char buf[16384];
        size_t headerEnd;
        while ((headerEnd = data.find("\r\n\r\n")) == std::string::npos) {
            const ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
            if (n <= 0)
                return -1;
            data.append(buf, size_t(n));
        }
        std::string head = data.substr(0, headerEnd);
        if (status)
            *status = head.size() > 12 ? std::atoi(head.c_str() + 9) : 0;
        std::transform(head.begin(), head.end(), head.begin(), ::tolower);
        const size_t at = head.find("content-length:");
        if (at == std::string::npos)
            return -1;
        const size_t length = std::stoul(head.substr(at + 15));
        while (data.size() < headerEnd + 4 + length) {
            const ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
            if (n <= 0)
                return -1;
            data.append(buf, size_t(n));
        }
        return long(length);
    }

    quint16 m_port;
    in_addr_t m_from;
    int m_fd = -1;
};

// Runs `work` on its own thread while the event loop serves; returns when it ends.
template <class Work> void whileServing(Work work) {
    std::thread t([&] {
        work();
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    QCoreApplication::exec();
    t.join();
}
