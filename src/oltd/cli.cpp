#include "oltd/cli.h"

#include "core/clock.h"
#include "core/config.h"
#include "core/service_process.h"
#include "oltd/devices.h"
#include "oltd/host_key.h"
#include "oltd/service.h"
#include "oltd/simulated_driver.h"
#include "oltd/simulated_network.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace oltd {

namespace {

const char* const kUsage =
    "usage:\n"
    "  zelcrm-oltd --config FILE [--port-file FILE]\n"
    "      serve the OLT pages as the INI file says; --port-file receives the port\n"
    "      (useful with port=0, which takes any free port)\n"
    "  zelcrm-oltd init-sim --client-db FILE --sim FILE [--force]\n"
    "      build a simulated OLT network from the client database's af_site and OLT rows\n"
    "  zelcrm-oltd sim-answer --sim FILE --olt IP [--mac MAC] --code CODE\n"
    "      make the OLT (or one ONU) answer CODE to every operation: OK, NOT_FOUND,\n"
    "      OFFLINE, UNSUPPORTED, NEEDS_ACS, AUTH, TIMEOUT, DEVICE_ERROR (OK restores it)\n"
    "  zelcrm-oltd seed-sim --sim FILE --olts N --onus N\n"
    "      a large synthetic network (benchmarks)\n"
    "  zelcrm-oltd host-key --address HOST [--port N] [--legacy-ssh]\n"
    "      print the SHA256 fingerprint of the OLT's SSH host key, for its\n"
    "      host_key_sha256 key (check it with the OLT's own console first)\n";

void log(const QString& line) {
    core::serviceLog("zelcrm-oltd", line);
}

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

QString option(const QStringList& args, const QString& name, bool required = true) {
    const qsizetype at = args.indexOf(name);
    if (at >= 0 && at + 1 < args.size())
        return args.at(at + 1);
    if (required)
        throw UsageError("missing " + name.toStdString());
    return {};
}

int number(const QStringList& args, const QString& name) {
    bool ok = false;
    const int n = option(args, name).toInt(&ok);
    if (!ok)
        throw UsageError(name.toStdString() + " needs a whole number");
    return n;
}

// What the service serves, for its log.
QString inventoryText(const ServiceSettings& s) {
    QStringList olts;
    for (const OltEntry& e : s.inventory.olts)
        olts << QStringLiteral("%1 (%2)").arg(e.ip, e.driver);
    QString text = olts.isEmpty() ? QStringLiteral("no OLTs in the inventory")
                                  : QStringLiteral("OLTs ") + olts.join(QStringLiteral(", "));
    if (!s.inventory.defaultDriver.isEmpty())
        text += QStringLiteral("; other addresses: %1").arg(s.inventory.defaultDriver);
    if (!s.simulatedFile.isEmpty())
        text += QStringLiteral("; simulated network %1").arg(s.simulatedFile);
    return text;
}

int serve(const QStringList& args) {
    const core::Config config = core::Config::load(option(args, QStringLiteral("--config")));
    const ServiceSettings settings = ServiceSettings::fromConfig(config);
    const core::SystemClock clock;
    // A network file that cannot be used stops the service now, not at the
    // first request.
    if (!settings.simulatedFile.isEmpty())
        SimulatedDriver(settings.simulatedFile, clock, settings.rebootSeconds);
    OltService service(settings, settings.inventory, deviceMaker(settings, clock), clock, log);
    const quint16 port = service.start();
    if (port == 0) {
        log(QStringLiteral("cannot listen on %1 port %2")
                .arg(settings.listenAddress.toString())
                .arg(settings.port));
        return 1;
    }
    if (const QString portFile = option(args, QStringLiteral("--port-file"), false);
        !portFile.isEmpty()) {
        if (!core::writeFileWhole(portFile, QByteArray::number(port) + '\n')) {
            log(QStringLiteral("cannot write the port file %1").arg(portFile));
            return 1;
        }
    }
    if (!core::quitOnTermination()) {
        log(QStringLiteral("cannot set up signal handling"));
        return 1;
    }
    log(QStringLiteral("listening on %1 port %2; %3")
            .arg(settings.listenAddress.toString(), QString::number(port),
                 inventoryText(settings)));
    const int code = QCoreApplication::exec();
    log(QStringLiteral("stopped"));
    return code;
}

int initSim(const QStringList& args) {
    const auto s = sim::initFromClientDb(option(args, QStringLiteral("--client-db")),
                                         option(args, QStringLiteral("--sim")),
                                         args.contains(QStringLiteral("--force")));
    std::printf("simulated network: %d OLTs, %d ONUs (%d subscriber rows without a usable MAC "
                "or site skipped)\n",
                s.olts, s.onus, s.skipped);
    return 0;
}

int simAnswer(const QStringList& args) {
    const QString code = option(args, QStringLiteral("--code"));
    if (!sim::setAnswer(option(args, QStringLiteral("--sim")),
                        option(args, QStringLiteral("--olt")),
                        option(args, QStringLiteral("--mac"), false), code)) {
        std::fprintf(stderr, "zelcrm-oltd: no such OLT or ONU in the simulated network\n");
        return 1;
    }
    return 0;
}

int seedSim(const QStringList& args) {
    sim::seedSynthetic(option(args, QStringLiteral("--sim")),
                       number(args, QStringLiteral("--olts")),
                       number(args, QStringLiteral("--onus")));
    return 0;
}

int hostKey(const QStringList& args) {
    const QString port = option(args, QStringLiteral("--port"), false);
    QString error;
    const QString fingerprint =
        sshHostKeyFingerprint(option(args, QStringLiteral("--address")),
                              quint16(port.isEmpty() ? 22 : number(args, QStringLiteral("--port"))),
                              args.contains(QStringLiteral("--legacy-ssh")), &error);
    if (fingerprint.isEmpty()) {
        std::fprintf(stderr, "zelcrm-oltd: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("%s\n", qPrintable(fingerprint));
    return 0;
}

} // namespace

void settleTimeZone() {
    ::setenv("TZ", ":/etc/localtime", 0);
}

int runCommandLine(const QStringList& arguments) {
    const QStringList args = arguments.mid(1);
    const QString command = args.value(0);
    try {
        if (command == QLatin1String("init-sim"))
            return initSim(args);
        if (command == QLatin1String("sim-answer"))
            return simAnswer(args);
        if (command == QLatin1String("seed-sim"))
            return seedSim(args);
        if (command == QLatin1String("host-key"))
            return hostKey(args);
        if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (args.contains(QStringLiteral("--config")))
            return serve(args);
        throw UsageError("nothing to do");
    } catch (const UsageError& e) {
        std::fprintf(stderr, "zelcrm-oltd: %s\n%s", e.what(), kUsage);
        return 2;
    } catch (const core::ConfigError& e) {
        std::fprintf(stderr, "zelcrm-oltd: %s\n", e.what());
        return 1;
    } catch (const sim::SimError& e) {
        std::fprintf(stderr, "zelcrm-oltd: %s\n", e.what());
        return 1;
    }
}

} // namespace oltd
