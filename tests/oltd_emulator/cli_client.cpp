#include "cli_client.h"

#include <QElapsedTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

bool CliClient::waitFor(const QByteArray& text, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!m_buf.contains(text)) {
        if (m_closed || t.elapsed() > timeoutMs)
            return false;
        poll(100);
    }
    return true;
}

bool CliClient::waitClosed(int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!m_closed && t.elapsed() <= timeoutMs)
        poll(100);
    return m_closed;
}

QByteArray CliClient::take() {
    QByteArray out;
    out.swap(m_buf);
    return out;
}

QByteArray CliClient::command(const QByteArray& line, const QByteArray& prompt) {
    take();
    send(line + "\n");
    const QByteArray echo = line + "\r\n";
    QElapsedTimer t;
    t.start();
    while (!(m_buf.startsWith(echo) && m_buf.endsWith(prompt))) {
        if (m_closed || t.elapsed() > 15000) {
            // Nothing of a partial answer may pass for the answer.
            qWarning("no prompt %s after %s: %s", prompt.constData(), line.constData(),
                     take().constData());
            return "<no answer>";
        }
        poll(100);
    }
    const QByteArray all = take();
    return all.mid(echo.size(), all.size() - echo.size() - prompt.size());
}

TelnetClient::~TelnetClient() {
    if (m_telnet)
        telnet_free(m_telnet);
    if (m_fd >= 0)
        ::close(m_fd);
}

namespace {
const telnet_telopt_t ClientOptions[] = {{TELNET_TELOPT_ECHO, TELNET_WONT, TELNET_DO},
                                         {TELNET_TELOPT_SGA, TELNET_WONT, TELNET_DO},
                                         {TELNET_TELOPT_NAWS, TELNET_WILL, TELNET_DONT},
                                         {-1, 0, 0}};
}

bool TelnetClient::connectTo(quint16 port) {
    m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
        return false;
    m_telnet = telnet_init(ClientOptions, &TelnetClient::event, 0, this);
    return true;
}

void TelnetClient::event(telnet_t* t, telnet_event_t* ev, void* self) {
    auto* c = static_cast<TelnetClient*>(self);
    switch (ev->type) {
    case TELNET_EV_DATA:
        c->m_buf.append(ev->data.buffer, static_cast<qsizetype>(ev->data.size));
        break;
    case TELNET_EV_SEND:
        ::send(c->m_fd, ev->data.buffer, ev->data.size, MSG_NOSIGNAL);
        break;
    case TELNET_EV_WILL:
        c->m_negotiation << QStringLiteral("WILL %1").arg(ev->neg.telopt);
        break;
    case TELNET_EV_DO:
        c->m_negotiation << QStringLiteral("DO %1").arg(ev->neg.telopt);
        if (ev->neg.telopt == TELNET_TELOPT_NAWS) {
            const char size[] = {0x01, static_cast<char>(0xf4), 0x00, 0x32}; // 500 x 50
            telnet_subnegotiation(t, TELNET_TELOPT_NAWS, size, sizeof size);
        }
        break;
    default:
        break;
    }
}

bool TelnetClient::send(const QByteArray& bytes) {
    telnet_send(m_telnet, bytes.constData(), static_cast<size_t>(bytes.size()));
    return true;
}

bool TelnetClient::poll(int timeoutMs) {
    if (m_closed)
        return false;
    pollfd p{m_fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0)
        return true;
    char buf[4096];
    const ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
    if (n <= 0) {
        m_closed = true;
        return false;
    }
    telnet_recv(m_telnet, buf, static_cast<size_t>(n));
    return true;
}

SshClient::~SshClient() {
    if (m_channel) {
        ssh_channel_close(m_channel);
        ssh_channel_free(m_channel);
    }
    if (m_session) {
        ssh_disconnect(m_session);
        ssh_free(m_session);
    }
}

bool SshClient::connectTo(quint16 port, const SshOptions& o, QString* error) {
    m_session = ssh_new();
    const unsigned int p = port;
    ssh_options_set(m_session, SSH_OPTIONS_HOST, "127.0.0.1");
    ssh_options_set(m_session, SSH_OPTIONS_PORT, &p);
    ssh_options_set(m_session, SSH_OPTIONS_USER, o.user.constData());
    ssh_options_set(m_session, SSH_OPTIONS_PROCESS_CONFIG, "no");
    if (o.legacy) {
        ssh_options_set(m_session, SSH_OPTIONS_KEY_EXCHANGE, "diffie-hellman-group1-sha1");
        ssh_options_set(m_session, SSH_OPTIONS_HOSTKEYS, "ssh-rsa");
    }
    if (ssh_connect(m_session) != SSH_OK) {
        *error = QStringLiteral("connect: ") + QString::fromUtf8(ssh_get_error(m_session));
        return false;
    }
    ssh_key key = nullptr;
    unsigned char* hash = nullptr;
    size_t len = 0;
    if (ssh_get_server_publickey(m_session, &key) == SSH_OK &&
        ssh_get_publickey_hash(key, SSH_PUBLICKEY_HASH_SHA256, &hash, &len) == 0)
        m_hostKey = QByteArray(reinterpret_cast<char*>(hash), static_cast<qsizetype>(len));
    ssh_clean_pubkey_hash(&hash);
    ssh_key_free(key);
    if (ssh_userauth_password(m_session, nullptr, o.password.constData()) != SSH_AUTH_SUCCESS) {
        *error = QStringLiteral("auth");
        return false;
    }
    m_channel = ssh_channel_new(m_session);
    if (ssh_channel_open_session(m_channel) != SSH_OK ||
        ssh_channel_request_pty_size(m_channel, "vt100", 500, 50) != SSH_OK ||
        ssh_channel_request_shell(m_channel) != SSH_OK) {
        *error = QStringLiteral("shell");
        return false;
    }
    return true;
}

bool SshClient::send(const QByteArray& bytes) {
    return ssh_channel_write(m_channel, bytes.constData(), static_cast<uint32_t>(bytes.size())) ==
           bytes.size();
}

bool SshClient::poll(int timeoutMs) {
    if (m_closed)
        return false;
    char buf[4096];
    const int n = ssh_channel_read_timeout(m_channel, buf, sizeof buf, 0, timeoutMs);
    if (n > 0) {
        m_buf.append(buf, n);
        return true;
    }
    if (n == SSH_ERROR || ssh_channel_is_eof(m_channel) || !ssh_channel_is_open(m_channel)) {
        m_closed = true;
        return false;
    }
    return true;
}
