#include "sandbox/cli.h"

#include "core/config.h"
#include "core/service_process.h"
#include "sandbox/service.h"

#include <QCoreApplication>
#include <cstdio>

namespace sandbox {

namespace {

const char* const kUsage =
    "usage: zelcrm-sandbox --config FILE [--port-file FILE]\n"
    "  serves every outside service of the demo on loopback, as the INI file says;\n"
    "  --port-file receives \"http=N\", \"https=N\", \"smtp=N\" and \"proxy=N\" lines once\n"
    "  all listen"
    " (useful with port 0, which takes any free port)\n";

void log(const QString& line) {
    core::serviceLog("zelcrm-sandbox", line);
}

QString option(const QStringList& args, const QString& name) {
    const qsizetype at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : QString();
}

QByteArray portFileText(const Sandbox::Ports& p) {
    return QStringLiteral("http=%1\nhttps=%2\nsmtp=%3\nproxy=%4\n")
        .arg(p.http)
        .arg(p.https)
        .arg(p.smtp)
        .arg(p.proxy)
        .toUtf8();
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
    if (!core::quitOnTermination()) {
        log(QStringLiteral("cannot set up signal handling"));
        return 1;
    }
    if (!portFile.isEmpty() && !core::writeFileWhole(portFile, portFileText(ports))) {
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
