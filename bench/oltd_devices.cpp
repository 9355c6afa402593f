// Measures zelcrm-oltd in front of emulated ZTE OLTs (SSH, the real driver),
// every answer of which takes DELAY ms (bench/oltd_devices.sh runs it):
//   oltd_devices parallel DELAY
//       onu_status.php alone (median of 5, sessions logged in), then 8 at once
//       to 8 different OLTs (median of 5 rounds); prints "one_ms X eight_ms Y"
//   oltd_devices sequential DELAY N
//       N onu_status.php one after another to one OLT; prints "one_ms X
//       total_ms Y sessions Z" (Z: sessions the emulator held at the end)
//   oltd_devices hang DELAY N
//       N onu_status.php to one OLT alone, then while another OLT hangs (every
//       answer 60 s, a request waiting on it); prints "alone_ms X beside_ms Y"
//       (medians)
#include "http_client.h"
#include "median.h"

#include "core/clock.h"
#include "oltd/devices.h"
#include "oltd/service.h"
#include "support/olt_inventory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

namespace {

const std::string kMac = "C8:3A:35:7E:21:09"; // an online ONU of the ZTE state

struct Olts {
    QTemporaryDir dir;
    std::vector<std::unique_ptr<oltemu::OltEmulator>> emulators;
    core::SystemClock clock;
    oltd::ServiceSettings settings;
    std::unique_ptr<oltd::OltService> service;
    quint16 port = 0;

    Olts(int count, int delayMs) {
        const QJsonObject state = support::emulatorState(QStringLiteral("zte-c320.json"));
        settings.listenAddress = QHostAddress::LocalHost;
        settings.allow = {{QHostAddress::LocalHost, 8}};
        settings.auditLog = dir.filePath(QStringLiteral("audit.log"));
        for (int i = 0; i < count; ++i) {
            auto emulator = support::startOltEmulator(state, dir.path());
            if (!emulator)
                qFatal("the emulator did not start");
            emulator->faults().delayMs = delayMs;
            settings.inventory.olts.append(support::emulatedOlt(
                QStringLiteral("10.99.0.%1").arg(i + 1), *emulator, state, dir.path()));
            emulators.push_back(std::move(emulator));
        }
        service = std::make_unique<oltd::OltService>(settings, settings.inventory,
                                                     oltd::deviceMaker(settings, clock), clock,
                                                     [](const QString&) {});
        port = service->start();
    }

    std::string path(int olt) const {
        return "/olt/onu_status.php?ip=10.99.0." + std::to_string(olt + 1) + "&mac=" + kMac;
    }
};

double timedGet(Client& client, const std::string& path) {
    QElapsedTimer t;
    t.start();
    int status = 0;
    if (client.get(path, &status) < 0 || status != 200)
        std::fprintf(stderr, "oltd_devices: %s answered %d\n", path.c_str(), status);
    return double(t.nsecsElapsed()) / 1e6;
}

int parallel(int delayMs) {
    Olts olts(8, delayMs);
    QList<double> one, eight;
    whileServing([&] {
        std::vector<Client> clients;
        for (int i = 0; i < 8; ++i)
            clients.emplace_back(olts.port);
        for (int i = 0; i < 8; ++i) // every OLT logged in and its ONU found
            timedGet(clients[size_t(i)], olts.path(i));
        for (int i = 0; i < 5; ++i)
            one.push_back(timedGet(clients[0], olts.path(0)));
        for (int round = 0; round < 5; ++round) {
            QElapsedTimer t;
            t.start();
            std::vector<std::thread> threads;
            for (int i = 0; i < 8; ++i)
                threads.emplace_back([&, i] { timedGet(clients[size_t(i)], olts.path(i)); });
            for (std::thread& th : threads)
                th.join();
            eight.push_back(double(t.nsecsElapsed()) / 1e6);
        }
    });
    std::printf("one_ms %.1f eight_ms %.1f\n", bench::median(one), bench::median(eight));
    return 0;
}

int sequential(int delayMs, int requests) {
    Olts olts(1, delayMs);
    QList<double> one;
    double total = 0;
    whileServing([&] {
        Client client(olts.port);
        timedGet(client, olts.path(0));
        for (int i = 0; i < 5; ++i)
            one.push_back(timedGet(client, olts.path(0)));
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < requests; ++i)
            timedGet(client, olts.path(0));
        total = double(t.nsecsElapsed()) / 1e6;
    });
    std::printf("one_ms %.1f total_ms %.1f sessions %d\n", bench::median(one), total,
                olts.emulators[0]->activeSessions());
    return 0;
}

int hang(int delayMs, int requests) {
    Olts olts(2, delayMs);
    QList<double> alone, beside;
    whileServing([&] {
        Client client(olts.port), stuck(olts.port);
        timedGet(client, olts.path(0));
        timedGet(stuck, olts.path(1));
        for (int i = 0; i < requests; ++i)
            alone.push_back(timedGet(client, olts.path(0)));
        olts.emulators[1]->faults().delayMs = 60000;
        std::thread waiting([&] { stuck.get(olts.path(1)); });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        for (int i = 0; i < requests; ++i)
            beside.push_back(timedGet(client, olts.path(0)));
        olts.emulators[1]->faults().delayMs = delayMs;
        waiting.join();
    });
    std::printf("alone_ms %.1f beside_ms %.1f\n", bench::median(alone), bench::median(beside));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    const int delay = a.value(2).toInt();
    if (a.value(1) == QLatin1String("parallel"))
        return parallel(delay);
    if (a.value(1) == QLatin1String("sequential"))
        return sequential(delay, a.value(3).toInt());
    if (a.value(1) == QLatin1String("hang"))
        return hang(delay, a.value(3).toInt());
    std::fprintf(stderr, "usage: oltd_devices parallel|sequential|hang DELAY_MS [N]\n");
    return 2;
}
