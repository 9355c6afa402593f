// zelcrm-olt-emulator: one emulated ZTE or Huawei OLT over SSH and telnet,
// for the demo and the benchmarks. Prints "ssh «port» telnet «port»" once it
// listens, then serves until SIGINT or SIGTERM.
#include "olt_emulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral("Emulated OLT (ZTE ZXAN or Huawei SmartAX)"));
    p.addHelpOption();
    const auto opt = [&p](const char* name, const char* help, const char* value = nullptr) {
        QCommandLineOption o(QString::fromLatin1(name), QString::fromLatin1(help));
        if (value)
            o.setValueName(QString::fromLatin1(value));
        p.addOption(o);
        return o;
    };
    const auto state = opt("state", "ONU state file (JSON); its vendor picks the dialect", "file");
    const auto keyFile = opt("host-key", "SSH host key file (RSA)", "file");
    const auto keyDir = opt("host-key-dir", "folder keeping a generated SSH host key", "dir");
    const auto sshPort = opt("ssh-port", "SSH port (0: any free)", "port");
    const auto telnetPort = opt("telnet-port", "telnet port (0: any free)", "port");
    const auto noSsh = opt("no-ssh", "serve telnet only");
    const auto noTelnet = opt("no-telnet", "serve SSH only");
    const auto legacy = opt("legacy-ssh", "offer only diffie-hellman-group1-sha1 and ssh-rsa");
    const auto wrongPassword = opt("wrong-password", "refuse every login");
    const auto keyChanged = opt("host-key-changed", "offer a different SSH host key");
    const auto delay = opt("delay-ms", "delay every answer", "ms");
    const auto drop = opt("drop-mid-output", "hang up halfway through every answer");
    const auto pager = opt("pager-stuck", "paging cannot be turned off");
    const auto garble = opt("garble", "cut and mangle every answer");
    const auto acs = opt("acs-only", "ONU (serial) refuses OMCI configuration", "serial");
    p.process(app);
    if (!p.isSet(state)) {
        std::fprintf(stderr, "zelcrm-olt-emulator: --state is required\n");
        return 2;
    }

    oltemu::EmulatorOptions o;
    o.stateFile = p.value(state);
    o.hostKeyFile = p.value(keyFile);
    o.hostKeyDir = p.value(keyDir);
    o.sshPort = static_cast<quint16>(p.value(sshPort).toUInt());
    o.telnetPort = static_cast<quint16>(p.value(telnetPort).toUInt());
    o.ssh = !p.isSet(noSsh);
    o.telnet = !p.isSet(noTelnet);
    o.legacySsh = p.isSet(legacy);
    oltemu::OltEmulator emulator(o);
    QString error;
    if (!emulator.start(&error)) {
        std::fprintf(stderr, "zelcrm-olt-emulator: %s\n", qPrintable(error));
        return 1;
    }
    oltemu::Faults& f = emulator.faults();
    f.wrongPassword = p.isSet(wrongPassword);
    f.hostKeyChanged = p.isSet(keyChanged);
    f.delayMs = p.value(delay).toInt();
    f.dropMidOutput = p.isSet(drop);
    f.pagerStuck = p.isSet(pager);
    f.garble = p.isSet(garble);
    for (const QString& serial : p.values(acs))
        if (!emulator.state().setAcsOnly(serial, true)) {
            std::fprintf(stderr, "zelcrm-olt-emulator: no ONU %s\n", qPrintable(serial));
            return 1;
        }

    std::printf("ssh %u telnet %u\n", emulator.sshPort(), emulator.telnetPort());
    std::fflush(stdout);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    int sig = 0;
    sigwait(&set, &sig);
    emulator.stop();
    return 0;
}
