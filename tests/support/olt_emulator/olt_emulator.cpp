#include "olt_emulator.h"

#include "cli_session.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#include <libssh/libssh.h>
#include <libssh/server.h>
#include <libtelnet.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <list>
#include <thread>

namespace oltemu {

namespace {

// Listens on 127.0.0.1; port 0 takes a free one.
int listenOn(quint16 port, quint16* bound, QString* error) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 16) != 0) {
        *error = QStringLiteral("cannot listen on 127.0.0.1:%1: %2")
                     .arg(port)
                     .arg(QString::fromLocal8Bit(strerror(errno)));
        ::close(fd);
        return -1;
    }
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    *bound = ntohs(addr.sin_port);
    return fd;
}

bool sendAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Reads the key a given file holds, or the one kept in the folder, making it
// on first use. Returned as base64 PEM so every session imports its own copy.
QByteArray loadHostKey(const EmulatorOptions& o, QString* error) {
    QString path = o.hostKeyFile;
    if (path.isEmpty()) {
        if (o.hostKeyDir.isEmpty()) {
            *error = QStringLiteral("SSH needs a host key file or a host key folder");
            return {};
        }
        QDir().mkpath(o.hostKeyDir);
        path = QDir(o.hostKeyDir).filePath(QStringLiteral("ssh_host_rsa_key"));
        if (!QFileInfo::exists(path)) {
            ssh_key key = nullptr;
            if (ssh_pki_generate(SSH_KEYTYPE_RSA, 2048, &key) != SSH_OK ||
                ssh_pki_export_privkey_file(key, nullptr, nullptr, nullptr,
                                            path.toLocal8Bit().constData()) != SSH_OK) {
                ssh_key_free(key);
                *error = QStringLiteral("cannot write the host key %1").arg(path);
                return {};
            }
            ssh_key_free(key);
        }
    }
    ssh_key key = nullptr;
    if (ssh_pki_import_privkey_file(path.toLocal8Bit().constData(), nullptr, nullptr, nullptr,
                                    &key) != SSH_OK) {
        *error = QStringLiteral("cannot read the host key %1").arg(path);
        return {};
    }
    char* b64 = nullptr;
    ssh_pki_export_privkey_base64(key, nullptr, nullptr, nullptr, &b64);
    QByteArray pem(b64 ? b64 : "");
    ssh_string_free_char(b64);
    ssh_key_free(key);
    return pem;
}

QByteArray generatedKey() {
    ssh_key key = nullptr;
    ssh_pki_generate(SSH_KEYTYPE_RSA, 2048, &key);
    char* b64 = nullptr;
    ssh_pki_export_privkey_base64(key, nullptr, nullptr, nullptr, &b64);
    QByteArray pem(b64 ? b64 : "");
    ssh_string_free_char(b64);
    ssh_key_free(key);
    return pem;
}

const telnet_telopt_t TelnetOptions[] = {{TELNET_TELOPT_ECHO, TELNET_WILL, TELNET_DONT},
                                         {TELNET_TELOPT_SGA, TELNET_WILL, TELNET_DO},
                                         {TELNET_TELOPT_NAWS, TELNET_WONT, TELNET_DO},
                                         {-1, 0, 0}};

} // namespace

struct OltEmulator::Impl {
    EmulatorOptions options;
    OltState state;
    Faults faults;
    QByteArray hostKey;
    QByteArray changedKey;
    std::mutex keyMutex;
    std::atomic<bool> stopping{false};
    std::atomic<int> sessions{0};
    int sshFd = -1, telnetFd = -1;
    quint16 sshPort = 0, telnetPort = 0;
    std::vector<std::thread> acceptors;

    struct Connection {
        std::thread thread;
        std::mutex mutex;
        int fd = -1;
        std::atomic<bool> done{false};
    };
    std::mutex connMutex;
    std::list<Connection> connections;

    void acceptLoop(int listenFd, bool ssh);
    void serve(Connection& c, bool ssh);
    void serveTelnet(int fd, bool busy);
    void serveSsh(int fd, bool busy);
    // What the vendor says to a session past the cap, as a line; empty
    // when it hangs up without a word.
    std::string busyLine() {
        auto guard = state.lock();
        const std::string text = CliSession::busyText(state.config.vendor);
        return text.empty() ? text : text + "\r\n";
    }
    bool busy() {
        int max;
        {
            auto guard = state.lock();
            max = state.config.maxSessions;
        }
        return ++sessions > max;
    }
};

void OltEmulator::Impl::acceptLoop(int listenFd, bool ssh) {
    while (!stopping) {
        pollfd p{listenFd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        std::lock_guard<std::mutex> guard(connMutex);
        for (auto it = connections.begin(); it != connections.end();)
            if (it->done) {
                it->thread.join();
                it = connections.erase(it);
            } else {
                ++it;
            }
        Connection& c = connections.emplace_back();
        c.fd = fd;
        c.thread = std::thread([this, &c, ssh] { serve(c, ssh); });
    }
}

void OltEmulator::Impl::serve(Connection& c, bool ssh) {
    const bool full = busy();
    if (ssh)
        serveSsh(c.fd, full);
    else
        serveTelnet(c.fd, full);
    --sessions;
    {
        std::lock_guard<std::mutex> guard(c.mutex);
        ::shutdown(c.fd, SHUT_RDWR);
        ::close(c.fd);
        c.fd = -1;
    }
    c.done = true;
}

void OltEmulator::Impl::serveTelnet(int fd, bool full) {
    struct Ctx : Sink {
        int fd;
        telnet_t* telnet = nullptr;
        CliSession* session = nullptr;
        bool closed = false;
        void write(const std::string& bytes) override {
            if (!closed)
                telnet_send(telnet, bytes.data(), bytes.size());
        }
        void close() override { closed = true; }
    } ctx;
    ctx.fd = fd;
    const auto handler = [](telnet_t*, telnet_event_t* ev, void* user) {
        auto* c = static_cast<Ctx*>(user);
        switch (ev->type) {
        case TELNET_EV_SEND:
            if (!sendAll(c->fd, ev->data.buffer, ev->data.size))
                c->closed = true;
            break;
        case TELNET_EV_DATA:
            if (c->session)
                c->session->feed(std::string(ev->data.buffer, ev->data.size));
            break;
        case TELNET_EV_ERROR:
            c->closed = true;
            break;
        default:
            break;
        }
    };
    ctx.telnet = telnet_init(TelnetOptions, handler, 0, &ctx);
    auto session = makeSession(state, faults, ctx, "Telnet");
    telnet_negotiate(ctx.telnet, TELNET_WILL, TELNET_TELOPT_ECHO);
    telnet_negotiate(ctx.telnet, TELNET_WILL, TELNET_TELOPT_SGA);
    telnet_negotiate(ctx.telnet, TELNET_DO, TELNET_TELOPT_NAWS);
    if (full) {
        const std::string text = busyLine();
        if (!text.empty())
            ctx.write(text);
        telnet_free(ctx.telnet);
        // Hung up gracefully when there is a text to deliver: the caller's
        // answers to the options may still be arriving, and closing over
        // unread bytes would reset the connection and lose the text. Kept
        // short, as the session still counts against the cap meanwhile.
        if (!text.empty()) {
            ::shutdown(fd, SHUT_WR);
            char sink[512];
            for (int turn = 0; turn < 4; ++turn) {
                pollfd p{fd, POLLIN, 0};
                if (::poll(&p, 1, 50) > 0 && ::recv(fd, sink, sizeof sink, 0) <= 0)
                    break;
            }
        }
        return;
    }
    ctx.session = session.get();
    session->start(false);
    char buf[4096];
    while (!stopping && !ctx.closed && !session->closed()) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        telnet_recv(ctx.telnet, buf, static_cast<size_t>(n));
    }
    telnet_free(ctx.telnet);
}

void OltEmulator::Impl::serveSsh(int fd, bool full) {
    QByteArray pem;
    if (faults.hostKeyChanged) {
        std::lock_guard<std::mutex> guard(keyMutex);
        if (changedKey.isEmpty())
            changedKey = generatedKey();
        pem = changedKey;
    } else {
        pem = hostKey;
    }
    ssh_key key = nullptr;
    if (ssh_pki_import_privkey_base64(pem.constData(), nullptr, nullptr, nullptr, &key) != SSH_OK)
        return;
    ssh_bind bind = ssh_bind_new();
    ssh_bind_options_set(bind, SSH_BIND_OPTIONS_IMPORT_KEY, key); // the bind owns it now
    if (options.legacySsh) {
        ssh_bind_options_set(bind, SSH_BIND_OPTIONS_KEY_EXCHANGE, "diffie-hellman-group1-sha1");
        ssh_bind_options_set(bind, SSH_BIND_OPTIONS_HOSTKEY_ALGORITHMS, "ssh-rsa");
    }
    ssh_session s = ssh_new();
    ssh_channel channel = nullptr;
    const auto cleanup = [&] {
        if (channel)
            ssh_channel_free(channel);
        ssh_disconnect(s);
        ssh_free(s);
        ssh_bind_free(bind);
    };
    // libssh closes the descriptor it was given; hand it a duplicate so the
    // connection record keeps the one it shuts down on stop.
    const int own = ::dup(fd);
    if (ssh_bind_accept_fd(bind, s, own) != SSH_OK || ssh_handle_key_exchange(s) != SSH_OK) {
        cleanup();
        return;
    }
    std::string user, password;
    bool wrongPassword;
    {
        auto guard = state.lock();
        user = str(state.config.username);
        password = str(state.config.password);
    }
    wrongPassword = faults.wrongPassword;
    bool authed = false, shell = false;
    int failures = 0;
    while (!shell && !stopping) {
        ssh_message m = ssh_message_get(s);
        if (!m)
            break;
        const int type = ssh_message_type(m), sub = ssh_message_subtype(m);
        if (type == SSH_REQUEST_AUTH && sub == SSH_AUTH_METHOD_PASSWORD && !authed) {
            const char* u = ssh_message_auth_user(m);
// libssh marks the message API deprecated in favour of server callbacks; it
// is still the plain way to answer one blocking session.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
            const char* p = ssh_message_auth_password(m);
#pragma GCC diagnostic pop
            if (!wrongPassword && u && p && user == u && password == p) {
                ssh_message_auth_reply_success(m, 0);
                authed = true;
            } else {
                ++failures;
                ssh_message_auth_set_methods(m, SSH_AUTH_METHOD_PASSWORD);
                ssh_message_reply_default(m);
            }
        } else if (type == SSH_REQUEST_AUTH) {
            ssh_message_auth_set_methods(m, SSH_AUTH_METHOD_PASSWORD);
            ssh_message_reply_default(m);
        } else if (authed && type == SSH_REQUEST_CHANNEL_OPEN && sub == SSH_CHANNEL_SESSION &&
                   !channel) {
            channel = ssh_message_channel_request_open_reply_accept(m);
        } else if (authed && channel && type == SSH_REQUEST_CHANNEL &&
                   (sub == SSH_CHANNEL_REQUEST_PTY || sub == SSH_CHANNEL_REQUEST_ENV ||
                    sub == SSH_CHANNEL_REQUEST_WINDOW_CHANGE || sub == SSH_CHANNEL_REQUEST_SHELL)) {
            ssh_message_channel_request_reply_success(m);
            shell = sub == SSH_CHANNEL_REQUEST_SHELL;
        } else {
            ssh_message_reply_default(m);
        }
        ssh_message_free(m);
        if (failures >= 3)
            break;
    }
    if (!shell) {
        cleanup();
        return;
    }
    struct Out : Sink {
        ssh_channel channel;
        bool closed = false;
        void write(const std::string& bytes) override {
            if (!closed && ssh_channel_write(channel, bytes.data(), bytes.size()) == SSH_ERROR)
                closed = true;
        }
        void close() override {
            if (closed)
                return;
            closed = true;
            ssh_channel_send_eof(channel);
            ssh_channel_close(channel);
        }
    } out;
    out.channel = channel;
    auto session = makeSession(state, faults, out, "SSH");
    if (full) {
        if (const std::string text = busyLine(); !text.empty())
            out.write(text);
        out.close();
        cleanup();
        return;
    }
    session->start(true);
    char buf[4096];
    while (!stopping && !out.closed && !session->closed()) {
        const int n = ssh_channel_read_timeout(channel, buf, sizeof buf, 0, 100);
        if (n == SSH_ERROR)
            break;
        if (n == 0) {
            if (ssh_channel_is_eof(channel) || !ssh_channel_is_open(channel))
                break;
            continue;
        }
        session->feed(std::string(buf, static_cast<size_t>(n)));
    }
    cleanup();
}

OltEmulator::OltEmulator(EmulatorOptions options)
    : d(std::make_unique<Impl>()) {
    d->options = std::move(options);
}

OltEmulator::~OltEmulator() {
    stop();
}

bool OltEmulator::start(QString* error) {
    const bool loaded = d->options.stateJson.isEmpty()
                            ? d->state.load(d->options.stateFile, error)
                            : d->state.loadJson(d->options.stateJson, error);
    if (!loaded)
        return false;
    if (d->options.ssh) {
        d->hostKey = loadHostKey(d->options, error);
        if (d->hostKey.isEmpty())
            return false;
        d->sshFd = listenOn(d->options.sshPort, &d->sshPort, error);
        if (d->sshFd < 0)
            return false;
    }
    if (d->options.telnet) {
        d->telnetFd = listenOn(d->options.telnetPort, &d->telnetPort, error);
        if (d->telnetFd < 0)
            return false;
    }
    if (d->sshFd >= 0)
        d->acceptors.emplace_back([this] { d->acceptLoop(d->sshFd, true); });
    if (d->telnetFd >= 0)
        d->acceptors.emplace_back([this] { d->acceptLoop(d->telnetFd, false); });
    return true;
}

void OltEmulator::stop() {
    d->stopping = true;
    for (std::thread& t : d->acceptors)
        t.join();
    d->acceptors.clear();
    for (int* fd : {&d->sshFd, &d->telnetFd})
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    std::lock_guard<std::mutex> guard(d->connMutex);
    for (Impl::Connection& c : d->connections) {
        std::lock_guard<std::mutex> cg(c.mutex);
        if (c.fd >= 0)
            ::shutdown(c.fd, SHUT_RDWR);
    }
    for (Impl::Connection& c : d->connections)
        c.thread.join();
    d->connections.clear();
}

quint16 OltEmulator::sshPort() const {
    return d->sshPort;
}
quint16 OltEmulator::telnetPort() const {
    return d->telnetPort;
}
Faults& OltEmulator::faults() {
    return d->faults;
}
OltState& OltEmulator::state() {
    return d->state;
}
int OltEmulator::activeSessions() const {
    return d->sessions;
}

QString hostKeySha256(const QString& keyDir) {
    ssh_key key = nullptr, pub = nullptr;
    const QByteArray path = QDir(keyDir).filePath(QStringLiteral("ssh_host_rsa_key")).toLocal8Bit();
    if (ssh_pki_import_privkey_file(path.constData(), nullptr, nullptr, nullptr, &key) != SSH_OK)
        return {};
    ssh_pki_export_privkey_to_pubkey(key, &pub);
    char* b64 = nullptr;
    ssh_pki_export_pubkey_base64(pub, &b64);
    const QByteArray blob = QByteArray::fromBase64(QByteArray(b64));
    ssh_string_free_char(b64);
    ssh_key_free(pub);
    ssh_key_free(key);
    return QStringLiteral("SHA256:") +
           QString::fromLatin1(QCryptographicHash::hash(blob, QCryptographicHash::Sha256)
                                   .toBase64(QByteArray::OmitTrailingEquals));
}

} // namespace oltemu
