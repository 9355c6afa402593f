#include "httpd/server.h"

#include <QMetaObject>
#include <QUrl>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstring>
#include <microhttpd.h>
#include <mutex>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <set>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace httpd {

using SteadyClock = std::chrono::steady_clock;

// One request, from its request line to its answer. The server's thread
// fills it; while it is handed over (its connection suspended) only the
// owner's thread touches it, until it resumes the connection.
struct Exchange {
    MHD_Connection* connection = nullptr;
    QByteArray target; // as sent: path and query, still percent-encoded
    bool started = false;
    bool handedOver = false;
    bool answered = false;
    Request request;
    Response response;
};

namespace {

// One connection as the request timeout sees it (server thread only).
struct Connection {
    int fd = -1;
    SteadyClock::time_point deadline;
    bool awaitingHeader = true;
    bool dropped = false;
};

Response plain(int status, const char* text) {
    return {status, QByteArray(text) + '\n', {{"Content-Type", "text/plain; charset=utf-8"}}};
}

MHD_Result queue(MHD_Connection* connection, const Response& response) {
    MHD_Response* r = MHD_create_response_from_buffer(size_t(response.body.size()),
                                                      const_cast<char*>(response.body.constData()),
                                                      MHD_RESPMEM_MUST_COPY);
    if (!r)
        return MHD_NO;
    for (const auto& [name, value] : response.headers)
        MHD_add_response_header(r, name.constData(), value.constData());
    const MHD_Result queued = MHD_queue_response(connection, unsigned(response.status), r);
    MHD_destroy_response(r);
    return queued;
}

Connection* connectionOf(MHD_Connection* c) {
    const MHD_ConnectionInfo* info = MHD_get_connection_info(c, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    return info ? static_cast<Connection*>(info->socket_context) : nullptr;
}

QHostAddress clientOf(MHD_Connection* c) {
    const MHD_ConnectionInfo* info = MHD_get_connection_info(c, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    return info ? QHostAddress(info->client_addr) : QHostAddress();
}

// A method or a header name is an HTTP token (RFC 9110, 5.6.2).
bool isToken(const QByteArray& text) {
    static const QByteArray marks("!#$%&'*+-.^_`|~");
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
               marks.contains(c);
    });
}

// A request-target is visible ASCII: a browser percent-encodes the rest.
bool isTarget(const QByteArray& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c > 0x20 && c < 0x7f; });
}

struct HeaderWalk {
    QList<QPair<QByteArray, QByteArray>>* headers;
    qint64 bytes = 0;
    bool wellFormed = true;
};

MHD_Result addHeader(void* cls, MHD_ValueKind, const char* key, const char* value) {
    auto* walk = static_cast<HeaderWalk*>(cls);
    const QByteArray name(key), text(value ? value : "");
    walk->bytes += name.size() + text.size() + 4; // ": " and CR LF
    walk->wellFormed = walk->wellFormed && isToken(name);
    walk->headers->append({name.toLower(), text});
    return MHD_YES;
}

// The request as the pages see it: the path percent-decoded, the query as
// sent (QUrlQuery decodes a value when asked for it).
void fill(Request& r, const QByteArray& target, const char* method, MHD_Connection* c) {
    const qsizetype mark = target.indexOf('?');
    r.method = method;
    r.path = QUrl::fromPercentEncoding(mark < 0 ? target : target.left(mark));
    r.query = QUrlQuery(mark < 0 ? QString() : QString::fromUtf8(target.mid(mark + 1)));
    r.client = clientOf(c);
}

} // namespace

struct Server::Loop {
    Server* owner = nullptr;
    const Settings* settings = nullptr;
    MHD_Daemon* daemon = nullptr;
    int wake = -1;
    std::thread thread;
    std::atomic<bool> quit{false};
    std::set<Connection*> connections; // server thread only

    std::mutex mutex; // guards what follows
    bool stopping = false;
    std::set<std::shared_ptr<Exchange>> waiting;    // handed over, not yet answered
    std::vector<std::shared_ptr<Exchange>> arrived; // not yet taken by the owner
    int cancelled = 0;                 // resumed by stop() without an answer, not yet closed
    std::atomic<bool> batching{false}; // the owner is answering a batch

    ~Loop() {
        if (daemon)
            MHD_stop_daemon(daemon);
        if (wake >= 0)
            ::close(wake);
    }

    void wakeUp() const {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wake, &one, sizeof one);
    }

    // Resumes the connection with its answer, unless it was closed or
    // answered already.
    void deliver(const std::shared_ptr<Exchange>& e, Response response) {
        {
            std::lock_guard lock(mutex);
            if (waiting.erase(e) == 0)
                return;
            e->response = std::move(response);
            e->answered = true;
            MHD_resume_connection(e->connection);
        }
        // During the owner's batch, its one wake-up at the end serves all.
        if (!batching)
            wakeUp();
    }

    int stillCancelled() {
        std::lock_guard lock(mutex);
        return cancelled;
    }

    // Drops the connections whose request header is overdue; returns the
    // milliseconds until the next deadline, -1 when there is none.
    // libmicrohttpd's own timeout restarts with every byte, so a client
    // sending one byte a second would hold its connection for ever.
    int dropOverdue() {
        const auto now = SteadyClock::now();
        auto next = SteadyClock::time_point::max();
        for (Connection* c : connections) {
            if (!c->awaitingHeader || c->dropped)
                continue;
            if (c->deadline <= now) {
                // The connection's own reads see the end and close it, in
                // this thread, so the descriptor cannot be another's yet.
                ::shutdown(c->fd, SHUT_RDWR);
                c->dropped = true;
            } else {
                next = std::min(next, c->deadline);
            }
        }
        if (next == SteadyClock::time_point::max())
            return -1;
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(next - now).count();
        return int(std::min<qint64>(ms, INT_MAX));
    }

    void run() {
        const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon, MHD_DAEMON_INFO_EPOLL_FD);
        pollfd fds[2] = {{info->epoll_fd, POLLIN, 0}, {wake, POLLIN, 0}};
        // After stop() the connections it resumed still need one turn to close.
        for (int turns = 0; !quit || (stillCancelled() > 0 && turns < 100); turns += quit ? 1 : 0) {
            int ms = dropOverdue();
            MHD_UNSIGNED_LONG_LONG mhd = 0;
            if (MHD_get_timeout(daemon, &mhd) == MHD_YES)
                ms = ms < 0 ? int(std::min<MHD_UNSIGNED_LONG_LONG>(mhd, INT_MAX))
                            : std::min(ms, int(std::min<MHD_UNSIGNED_LONG_LONG>(mhd, INT_MAX)));
            if (quit)
                ms = 10;
            ::poll(fds, 2, ms);
            if (fds[1].revents) {
                uint64_t n;
                [[maybe_unused]] const ssize_t got = ::read(wake, &n, sizeof n);
            }
            MHD_run(daemon);
        }
    }

    // The answer to a request that breaks a limit, or nothing.
    // libmicrohttpd takes any bytes for a method, a target or a header name.
    std::optional<Response> refusal(Exchange& e, MHD_Connection* c, const char* method,
                                    const HeaderWalk& walk) const {
        if (e.target.size() > settings->maxUrlBytes)
            return plain(414, "URI Too Long");
        if (walk.bytes > settings->maxHeaderBytes)
            return plain(431, "Request Header Fields Too Large");
        if (!isToken(method) || !isTarget(e.target) || !walk.wellFormed)
            return plain(400, "Bad Request");
        const char* length = MHD_lookup_connection_value(c, MHD_HEADER_KIND, "Content-Length");
        if (length && QByteArray(length).trimmed().toLongLong() > settings->maxBodyBytes)
            return plain(413, "Content Too Large");
        return std::nullopt;
    }

    MHD_Result begin(Exchange& e, MHD_Connection* c, const char* method) {
        if (Connection* conn = connectionOf(c))
            conn->awaitingHeader = false;
        e.started = true;
        e.connection = c;
        HeaderWalk walk{&e.request.headers};
        MHD_get_connection_values(c, MHD_HEADER_KIND, addHeader, &walk);
        if (const auto refused = refusal(e, c, method, walk))
            return queue(c, *refused);
        fill(e.request, e.target, method, c);
        return MHD_YES;
    }

    // Suspends the connection and hands the request to the owner's thread;
    // one event takes every request that arrives before that thread runs.
    MHD_Result handOver(const std::shared_ptr<Exchange>& e, MHD_Connection* c) {
        {
            std::lock_guard lock(mutex);
            if (stopping)
                return MHD_NO;
        }
        // Suspended before the owner can see it: it may answer at once.
        MHD_suspend_connection(c);
        bool first = false;
        {
            std::lock_guard lock(mutex);
            e->handedOver = true;
            if (stopping) { // stop() came meanwhile and did not see it
                ++cancelled;
                MHD_resume_connection(c);
                return MHD_YES;
            }
            waiting.insert(e);
            first = arrived.empty();
            arrived.push_back(e);
        }
        if (first) {
            Server* server = owner;
            QMetaObject::invokeMethod(
                server, [server] { server->answerArrived(); }, Qt::QueuedConnection);
        }
        return MHD_YES;
    }

    MHD_Result onRequest(MHD_Connection* c, const char* method, const char* upload,
                         size_t* uploadSize, void** context) {
        auto& e = *static_cast<std::shared_ptr<Exchange>*>(*context);
        if (!e->started)
            return begin(*e, c, method);
        if (*uploadSize > 0) {
            // A chunked body has no length to refuse it by in advance, and an
            // answer cannot be queued halfway through it: close instead.
            if (e->request.body.size() + qint64(*uploadSize) > settings->maxBodyBytes)
                return MHD_NO;
            e->request.body.append(upload, qsizetype(*uploadSize));
            *uploadSize = 0;
            return MHD_YES;
        }
        if (e->answered)
            return queue(c, e->response);
        if (e->handedOver) { // resumed by stop()
            std::lock_guard lock(mutex);
            --cancelled;
            return MHD_NO;
        }
        return handOver(e, c);
    }

    static MHD_Result accessHandler(void* cls, MHD_Connection* c, const char*, const char* method,
                                    const char*, const char* upload, size_t* uploadSize,
                                    void** context) {
        return static_cast<Loop*>(cls)->onRequest(c, method, upload, uploadSize, context);
    }

    static MHD_Result acceptPolicy(void* cls, const sockaddr* address, socklen_t) {
        const AcceptPolicy& accept = static_cast<Loop*>(cls)->owner->m_accept;
        return !accept || accept(QHostAddress(address)) ? MHD_YES : MHD_NO;
    }

    static void* onUri(void*, const char* uri, MHD_Connection*) {
        auto* e = new std::shared_ptr<Exchange>(std::make_shared<Exchange>());
        (*e)->target = uri;
        return e;
    }

    static void onCompleted(void* cls, MHD_Connection* c, void** context,
                            MHD_RequestTerminationCode) {
        delete static_cast<std::shared_ptr<Exchange>*>(*context);
        *context = nullptr;
        const Settings& s = *static_cast<Loop*>(cls)->settings;
        if (Connection* conn = connectionOf(c)) {
            // A keep-alive client has the idle time to begin its next request
            // and the request time to send its header.
            conn->awaitingHeader = true;
            conn->deadline = SteadyClock::now() +
                             std::chrono::seconds(s.idleTimeoutSeconds + s.requestTimeoutSeconds);
        }
    }

    static void onConnection(void* cls, MHD_Connection* c, void** socketContext,
                             MHD_ConnectionNotificationCode code) {
        auto* loop = static_cast<Loop*>(cls);
        if (code == MHD_CONNECTION_NOTIFY_STARTED) {
            auto* conn = new Connection;
            const MHD_ConnectionInfo* info =
                MHD_get_connection_info(c, MHD_CONNECTION_INFO_CONNECTION_FD);
            conn->fd = info ? info->connect_fd : -1;
            conn->deadline =
                SteadyClock::now() + std::chrono::seconds(loop->settings->requestTimeoutSeconds);
            loop->connections.insert(conn);
            *socketContext = conn;
        } else if (code == MHD_CONNECTION_NOTIFY_CLOSED) {
            auto* conn = static_cast<Connection*>(*socketContext);
            loop->connections.erase(conn);
            delete conn;
            *socketContext = nullptr;
        }
    }
};

// Lets a reply from another thread reach the running loop, and makes stop()
// wait for a reply that is being delivered.
struct Server::Gate {
    std::mutex mutex;
    Loop* loop = nullptr;
};

Server::Server(Settings settings, Handler handler, AcceptPolicy accept)
    : Server(std::move(settings),
             DeferredHandler([handler = std::move(handler)](const Request& request, Reply reply) {
                 reply(handler(request));
             }),
             std::move(accept)) {}

Server::Server(Settings settings, DeferredHandler handler, AcceptPolicy accept)
    : m_settings(std::move(settings))
    , m_handler(std::move(handler))
    , m_accept(std::move(accept))
    , m_gate(std::make_shared<Gate>()) {}

Server::~Server() {
    stop();
}

bool Server::start() {
    stop();
    auto loop = std::make_unique<Loop>();
    loop->owner = this;
    loop->settings = &m_settings;
    loop->wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);

    sockaddr_storage address{};
    unsigned flags = MHD_USE_EPOLL | MHD_ALLOW_SUSPEND_RESUME;
    if (m_settings.address.protocol() == QAbstractSocket::IPv6Protocol) {
        auto* a6 = reinterpret_cast<sockaddr_in6*>(&address);
        a6->sin6_family = AF_INET6;
        a6->sin6_port = htons(m_settings.port);
        const Q_IPV6ADDR bytes = m_settings.address.toIPv6Address();
        std::memcpy(&a6->sin6_addr, &bytes, sizeof bytes);
        flags |= MHD_USE_IPv6;
    } else {
        auto* a4 = reinterpret_cast<sockaddr_in*>(&address);
        a4->sin_family = AF_INET;
        a4->sin_port = htons(m_settings.port);
        a4->sin_addr.s_addr = htonl(m_settings.address.toIPv4Address());
    }
    const bool tls = !m_settings.tlsCertificate.isEmpty() || !m_settings.tlsKey.isEmpty();
    if (tls)
        flags |= MHD_USE_TLS;
    // The request line and the header live in the connection's memory pool:
    // a request larger than the pool is refused by libmicrohttpd itself
    // (414 or 431) before it can grow the process.
    const size_t pool =
        size_t(std::max(32 * 1024, m_settings.maxUrlBytes + m_settings.maxHeaderBytes + 8 * 1024));
    Loop* l = loop.get();
    std::vector<MHD_OptionItem> options{
        {MHD_OPTION_SOCK_ADDR, 0, &address},
        {MHD_OPTION_CONNECTION_LIMIT, m_settings.maxConnections, nullptr},
        {MHD_OPTION_PER_IP_CONNECTION_LIMIT, m_settings.maxConnectionsPerClient, nullptr},
        {MHD_OPTION_CONNECTION_TIMEOUT, m_settings.idleTimeoutSeconds, nullptr},
        {MHD_OPTION_CONNECTION_MEMORY_LIMIT, intptr_t(pool), nullptr},
        {MHD_OPTION_URI_LOG_CALLBACK, reinterpret_cast<intptr_t>(&Loop::onUri), l},
        {MHD_OPTION_NOTIFY_COMPLETED, reinterpret_cast<intptr_t>(&Loop::onCompleted), l},
        {MHD_OPTION_NOTIFY_CONNECTION, reinterpret_cast<intptr_t>(&Loop::onConnection), l},
        {MHD_OPTION_STRICT_FOR_CLIENT, 1, nullptr}};
    if (tls) {
        options.push_back({MHD_OPTION_HTTPS_MEM_CERT, 0,
                           const_cast<char*>(m_settings.tlsCertificate.constData())});
        options.push_back(
            {MHD_OPTION_HTTPS_MEM_KEY, 0, const_cast<char*>(m_settings.tlsKey.constData())});
    }
    options.push_back({MHD_OPTION_END, 0, nullptr});
    loop->daemon =
        MHD_start_daemon(flags, m_settings.port, &Loop::acceptPolicy, l, &Loop::accessHandler, l,
                         MHD_OPTION_ARRAY, options.data(), MHD_OPTION_END);
    if (!loop->daemon || loop->wake < 0) {
        m_error = QStringLiteral("cannot listen on %1 port %2")
                      .arg(m_settings.address.toString())
                      .arg(m_settings.port);
        return false;
    }
    m_port = MHD_get_daemon_info(loop->daemon, MHD_DAEMON_INFO_BIND_PORT)->port;
    loop->thread = std::thread([l] { l->run(); });
    m_loop = std::move(loop);
    std::lock_guard gate(m_gate->mutex);
    m_gate->loop = m_loop.get();
    return true;
}

void Server::stop() {
    if (!m_loop)
        return;
    {
        std::lock_guard gate(m_gate->mutex);
        m_gate->loop = nullptr;
    }
    {
        std::lock_guard lock(m_loop->mutex);
        m_loop->stopping = true;
        for (const auto& e : m_loop->waiting) {
            ++m_loop->cancelled;
            MHD_resume_connection(e->connection);
        }
        m_loop->waiting.clear();
        m_loop->arrived.clear();
    }
    m_loop->quit = true;
    m_loop->wakeUp();
    m_loop->thread.join();
    m_loop.reset(); // stops the daemon: every connection still open is closed
    m_port = 0;
}

void Server::answerArrived() {
    if (!m_loop)
        return;
    std::vector<std::shared_ptr<Exchange>> batch;
    {
        std::lock_guard lock(m_loop->mutex);
        batch.swap(m_loop->arrived);
    }
    m_loop->batching = true;
    for (const auto& e : batch)
        answer(e);
    if (!m_loop)
        return;
    m_loop->batching = false;
    // The daemon's own wake-up is not among the descriptors an external
    // epoll loop is given.
    if (m_loop)
        m_loop->wakeUp();
}

void Server::answer(const std::shared_ptr<Exchange>& e) {
    if (!m_loop)
        return;
    {
        std::lock_guard lock(m_loop->mutex);
        if (m_loop->waiting.count(e) == 0) // closed by stop() meanwhile
            return;
    }
    const Reply reply = [gate = std::weak_ptr<Gate>(m_gate), e](Response response) {
        const auto g = gate.lock();
        if (!g)
            return;
        std::lock_guard lock(g->mutex);
        if (g->loop)
            g->loop->deliver(e, std::move(response));
    };
    try {
        m_handler(e->request, reply);
    } catch (const std::exception&) {
        reply(plain(500, "Internal Server Error"));
    }
}

QString shortened(const QString& path, qsizetype most) {
    return path.size() <= most ? path : path.left(most) + QStringLiteral("...");
}

QString clientText(const QHostAddress& address) {
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : address.toString();
}

} // namespace httpd
