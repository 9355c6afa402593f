#include "sandbox/cli.h"

#include "core/config.h"
#include "sandbox/service.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSaveFile>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace sandbox {

namespace {

const char* const kUsage =
    "usage: zelcrm-sandbox --config FILE [--port-file FILE]\n"
    "  serves every outside service of the demo on loopback, as the INI file says;\n"
    "  --port-file receives \"http=N\", \"https=N\", \"smtp=N\" and \"proxy=N\" lines once\n"
    "  all listen"
    " (useful with port 0, which takes any free port)\n";

void log(const QString& line) {
    std::fprintf(stderr, "%s zelcrm-sandbox: %s\n",
                 qPrintable(QDateTime::currentDateTime().toString(Qt::ISODate)), qPrintable(line));
    std::fflush(stderr);
}

QString option(const QStringList& args, const QString& name) {
    const qsizetype at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : QString();
}

// Written whole or not at all: a starter polling the file never reads half.
bool writePortFile(const QString& path, const Sandbox::Ports& p) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QStringLiteral("http=%1\nhttps=%2\nsmtp=%3\nproxy=%4\n")
                   .arg(p.http)
                   .arg(p.https)
                   .arg(p.smtp)
                   .arg(p.proxy)
                   .toUtf8());
    return file.commit();
}

// SIGTERM and SIGINT end the event loop through a socket pair, the one thing
// a signal handler may safely touch.
int g_signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &c, 1);
}

int serve(const QString& configFile, const QString& portFile) {
    const Settings settings = Settings::fromConfig(core::Config::load(configFile));
    Sandbox sandbox(settings, log);
    const Sandbox::Ports ports = sandbox.start();
    if (!ports.http) {
        log(QStringLiteral("cannot listen on %1 (ports %2, %3, %4, %5)")
                .arg(settings.listenAddress.toString())
                .arg(settings.httpPort)
                .arg(settings.httpsPort)
                .arg(settings.smtpPort)
                .arg(settings.proxyPort));
        return 1;
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) {
        log(QStringLiteral("cannot set up signal handling"));
        return 1;
    }
    QSocketNotifier notifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, qApp, [] {
        char c;
        [[maybe_unused]] const auto n = ::read(g_signalPipe[0], &c, 1);
        QCoreApplication::quit();
    });
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    if (!portFile.isEmpty() && !writePortFile(portFile, ports)) {
        log(QStringLiteral("cannot write the port file %1").arg(portFile));
        return 1;
    }
    log(QStringLiteral("sandbox page http://%1:%2/ (HTTPS %3, SMTP %4), certificate %5")
            .arg(settings.listenAddress.toString())
            .arg(ports.http)
            .arg(ports.https)
            .arg(ports.smtp)
            .arg(sandbox.certificatePath()));
    const int code = QCoreApplication::exec();
    log(QStringLiteral("stopped"));
    return code;
}

} // namespace

int runCommandLine(const QStringList& arguments) {
    const QStringList args = arguments.mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const QString config = option(args, QStringLiteral("--config"));
    if (config.isEmpty()) {
        std::fprintf(stderr, "zelcrm-sandbox: missing --config\n%s", kUsage);
        return 2;
    }
    try {
        return serve(config, option(args, QStringLiteral("--port-file")));
    } catch (const core::ConfigError& e) {
        log(QString::fromStdString(e.what()));
    } catch (const CertificateError& e) {
        log(QString::fromStdString(e.what()));
    }
    return 1;
}

} // namespace sandbox
