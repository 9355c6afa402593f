// Measures zelcrm-oltd's pages over loopback HTTP against an in-process
// service on a simulated network (bench/oltd_pages.sh runs it):
//   oltd_pages mac NETWORK REQUESTS
//       onu_mac.php by the last two octets of random ONUs, one client;
//       prints "median_ms X"
//   oltd_pages throughput NETWORK SECONDS CLIENTS
//       onu_status.php with CLIENTS concurrent keep-alive clients, then the
//       same HTTP server serving a static page of the same size the same way;
//       prints "status_rps X static_rps Y bytes Z"
//   oltd_pages flood NETWORK REQUESTS CONNECTIONS
//       onu_status.php from 127.0.0.2, a new connection each, on an idle
//       service and then while 127.0.0.1 holds CONNECTIONS connections, half
//       idle, half with a request sent in part; prints "idle_ms X flooded_ms Y
//       held Z" (medians; Z: flood connections still open at the end)
#include "http_client.h"

#include "core/clock.h"
#include "oltd/cli.h"
#include "oltd/service.h"
#include "oltd/simulated_driver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct Onu {
    std::string olt, mac;
};

std::vector<Onu> sampleOnus(const QString& network, int n) {
    std::vector<Onu> onus;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("s"));
        db.setDatabaseName(network);
        db.open();
        QSqlQuery q(db);
        q.exec(QStringLiteral("SELECT olt_ip, mac FROM onu WHERE state='ONLINE' "
                              "ORDER BY random() LIMIT %1")
                   .arg(n));
        while (q.next())
            onus.push_back(
                {q.value(0).toString().toStdString(), q.value(1).toString().toStdString()});
    }
    QSqlDatabase::removeDatabase(QStringLiteral("s"));
    return onus;
}

struct Service {
    QTemporaryDir dir;
    core::SystemClock clock;
    oltd::ServiceSettings s; // the defaults of [service]
    std::unique_ptr<oltd::SimulatedDriver> driver;
    std::unique_ptr<oltd::OltService> service;
    quint16 port = 0;

    explicit Service(const QString& network) {
        s.listenAddress = QHostAddress::LocalHost;
        s.allow = {{QHostAddress::LocalHost, 8}};
        s.auditLog = dir.filePath(QStringLiteral("audit.log"));
        s.simulatedFile = network;
        driver = std::make_unique<oltd::SimulatedDriver>(network, clock, 5);
        service = std::make_unique<oltd::OltService>(s, *driver, clock, [](const QString&) {});
        port = service->start();
    }
};

int macLatency(const QString& network, int requests) {
    const auto onus = sampleOnus(network, requests);
    Service service(network);
    std::vector<double> ms;
    bool failed = false;
    whileServing([&] {
        Client client(service.port);
        for (const Onu& o : onus) {
            const std::string path =
                "/olt/onu_mac.php?ip=" + o.olt + "&mac=" + o.mac.substr(o.mac.size() - 5);
            QElapsedTimer t;
            t.start();
            if (client.get(path) < 0)
                failed = true;
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
        }
    });
    if (failed || ms.empty()) {
        std::fprintf(stderr, "a request failed\n");
        return 1;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("median_ms %.4f\n", ms[ms.size() / 2]);
    return 0;
}

// Requests per second from `clients` threads hammering `paths` for `seconds`.
double rate(quint16 port, const std::vector<std::string>& paths, int clients, double seconds,
            bool& failed) {
    std::atomic<long> done{0};
    std::atomic<bool> stop{false};
    QElapsedTimer t;
    whileServing([&] {
        std::vector<std::thread> threads;
        t.start();
        for (int c = 0; c < clients; ++c)
            threads.emplace_back([&, c] {
                Client client(port);
                for (size_t i = size_t(c); !stop; i += size_t(clients)) {
                    if (client.get(paths[i % paths.size()]) < 0) {
                        failed = true;
                        return;
                    }
                    ++done;
                }
            });
        std::this_thread::sleep_for(std::chrono::milliseconds(long(seconds * 1000)));
        stop = true;
        for (auto& th : threads)
            th.join();
    });
    return double(done) / (double(t.nsecsElapsed()) / 1e9);
}

int throughput(const QString& network, double seconds, int clients) {
    const auto onus = sampleOnus(network, 1000);
    std::vector<std::string> paths;
    for (const Onu& o : onus)
        paths.push_back("/olt/onu_status.php?ip=" + o.olt + "&mac=" + o.mac);
    Service service(network);
    // The static page has the size of a real status page.
    bool failed = false;
    long bytes = 0;
    whileServing([&] { bytes = Client(service.port).get(paths.front()); });
    const QByteArray page(bytes, 'x');
    httpd::Server reference(service.s.server(), [&page](const httpd::Request&) {
        return httpd::Response{200, page, {{"Content-Type", "text/html; charset=utf-8"}}};
    });
    reference.start();
    const quint16 staticPort = reference.port();
    // Short turns, one after the other, so that whatever else the machine
    // runs meanwhile weighs on both about equally.
    double staticRps = 0, statusRps = 0;
    const int turns = 6;
    for (int turn = 0; turn < turns; ++turn) {
        staticRps += rate(staticPort, {"/static"}, clients, seconds / turns, failed) / turns;
        statusRps += rate(service.port, paths, clients, seconds / turns, failed) / turns;
    }
    if (failed) {
        std::fprintf(stderr, "a request failed\n");
        return 1;
    }
    std::printf("status_rps %.0f static_rps %.0f bytes %ld\n", statusRps, staticRps, bytes);
    return 0;
}

// The median time of `requests` status requests from 127.0.0.2, each on a
// connection of its own.
double secondClientMs(quint16 port, const std::vector<std::string>& paths, int requests,
                      bool& failed) {
    std::vector<double> ms;
    whileServing([&] {
        for (int i = 0; i < requests; ++i) {
            Client client(port, htonl(0x7f000002));
            QElapsedTimer t;
            t.start();
            if (client.get(paths[size_t(i) % paths.size()]) < 0)
                failed = true;
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
        }
    });
    std::sort(ms.begin(), ms.end());
    return ms.empty() ? 0 : ms[ms.size() / 2];
}

int flood(const QString& network, int requests, int connections) {
    rlimit files{};
    ::getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &files);
    std::vector<std::string> paths;
    for (const Onu& o : sampleOnus(network, 500))
        paths.push_back("/olt/onu_status.php?ip=" + o.olt + "&mac=" + o.mac);
    Service service(network);
    bool failed = false;
    secondClientMs(service.port, paths, requests / 4, failed); // warm the page cache
    const double idle = secondClientMs(service.port, paths, requests, failed);
    std::vector<int> held;
    for (int i = 0; i < connections; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(service.port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && i % 2 == 1)
            ::send(fd, "GET /olt/onu_status.php?ip=", 27, MSG_NOSIGNAL);
        held.push_back(fd);
    }
    const double flooded = secondClientMs(service.port, paths, requests, failed);
    int open = 0;
    for (int fd : held) {
        char c;
        open += ::recv(fd, &c, 1, MSG_DONTWAIT | MSG_PEEK) < 0 && errno == EAGAIN ? 1 : 0;
        ::close(fd);
    }
    if (failed) {
        std::fprintf(stderr, "a request failed\n");
        return 1;
    }
    std::printf("idle_ms %.4f flooded_ms %.4f held %d\n", idle, flooded, open);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    oltd::settleTimeZone(); // as zelcrm-oltd's own main does
    QCoreApplication app(argc, argv);
    const QStringList a = QCoreApplication::arguments();
    if (a.size() == 4 && a.at(1) == QLatin1String("mac"))
        return macLatency(a.at(2), a.at(3).toInt());
    if (a.size() == 5 && a.at(1) == QLatin1String("throughput"))
        return throughput(a.at(2), a.at(3).toDouble(), a.at(4).toInt());
    if (a.size() == 5 && a.at(1) == QLatin1String("flood"))
        return flood(a.at(2), a.at(3).toInt(), a.at(4).toInt());
    std::fprintf(stderr, "usage: oltd_pages mac NETWORK REQUESTS | throughput NETWORK SECONDS "
                         "CLIENTS | flood NETWORK REQUESTS CONNECTIONS\n");
    return 2;
}
