#include "oltd/service_config.h"

namespace oltd {

namespace {

core::ConfigError bad(const QString& key, const QString& file, const QString& why) {
    return core::ConfigError(
        QStringLiteral("Setting [%1] %2 in %3 %4")
            .arg(key.section(QLatin1Char('/'), 0, 0), key.section(QLatin1Char('/'), 1), file, why));
}

void readLimits(ServiceSettings& s, const core::Config& config) {
    const auto number = [&](const char* key, int& value, int lowest, int highest) {
        value =
            config.number(QStringLiteral("service/") + QLatin1String(key), value, lowest, highest);
    };
    number("max_connections", s.maxConnections, 1, 60000);
    number("max_connections_per_client", s.maxConnectionsPerClient, 1, 60000);
    number("idle_timeout_seconds", s.idleTimeoutSeconds, 1, 3600);
    number("request_timeout_seconds", s.requestTimeoutSeconds, 1, 600);
    number("max_url_bytes", s.maxUrlBytes, 256, 1024 * 1024);
    number("max_header_bytes", s.maxHeaderBytes, 1024, 1024 * 1024);
    number("max_body_bytes", s.maxBodyBytes, 0, 64 * 1024 * 1024);
    if (s.maxConnectionsPerClient > s.maxConnections)
        throw bad(
            QStringLiteral("service/max_connections_per_client"), config.path(),
            QStringLiteral("must not be more than max_connections (%1)").arg(s.maxConnections));
}

} // namespace

QList<Subnet> parseAllow(const QString& text, const QString& key, const QString& file) {
    QList<Subnet> list;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString item = part.trimmed();
        Subnet subnet = item.contains(QLatin1Char('/')) ? QHostAddress::parseSubnet(item)
                                                        : Subnet(QHostAddress(item), -1);
        if (subnet.first.isNull())
            throw bad(key, file, QStringLiteral("holds \"%1\", which is not a network").arg(item));
        if (subnet.second < 0)
            subnet.second = subnet.first.protocol() == QAbstractSocket::IPv6Protocol ? 128 : 32;
        list.append(subnet);
    }
    if (list.isEmpty())
        throw bad(key, file, QStringLiteral("names no network"));
    return list;
}

bool isAllowed(const QList<Subnet>& allow, const QHostAddress& client) {
    // A dual-stack socket shows IPv4 callers as ::ffff:a.b.c.d.
    bool isV4 = false;
    const quint32 v4 = client.toIPv4Address(&isV4);
    const QHostAddress address = isV4 ? QHostAddress(v4) : client;
    for (const Subnet& s : allow)
        if (address.isInSubnet(s))
            return true;
    return false;
}

ServiceSettings ServiceSettings::fromConfig(const core::Config& config,
                                            const QProcessEnvironment& env) {
    ServiceSettings s;
    const QString file = config.path();
    const QString addressKey = QStringLiteral("service/listen_address");
    s.listenAddress = QHostAddress(config.required(addressKey));
    if (s.listenAddress.isNull())
        throw bad(addressKey, file, QStringLiteral("is not an IP address"));
    const QString portKey = QStringLiteral("service/port");
    config.required(portKey);
    const int port = config.number(portKey, -1);
    if (port < 0 || port > 65535)
        throw bad(portKey, file, QStringLiteral("must be 0 to 65535"));
    s.port = quint16(port);
    const QString allowKey = QStringLiteral("service/allow");
    s.allow = parseAllow(config.value(allowKey, QStringLiteral("127.0.0.1/32")), allowKey, file);
    readLimits(s, config);
    s.auditLog = config.required(QStringLiteral("service/audit_log"));
    s.offlineMinHours = config.number(QStringLiteral("oltd/offline_min_hours"), 72, 1, 24 * 365);
    s.queueDepth = config.number(QStringLiteral("oltd/queue_depth"), 8, 1, 1000);
    s.sessionIdleSeconds =
        config.number(QStringLiteral("oltd/session_idle_seconds"), 120, 5, 86400);
    s.stateDir = config.value(QStringLiteral("oltd/state_dir"));
    const QString legacyDriver = config.value(QStringLiteral("driver/name"));
    if (!legacyDriver.isEmpty() && legacyDriver != QLatin1String("simulated"))
        throw bad(QStringLiteral("driver/name"), file,
                  QStringLiteral("names an unknown driver \"%1\" (known: simulated); real "
                                 "OLTs are named in [olt «address»] sections")
                      .arg(legacyDriver));
    s.inventory = readInventory(config, env);
    if (s.inventory.uses(QStringLiteral("simulated"))) {
        s.simulatedFile = config.required(QStringLiteral("simulated/network_file"));
        const QString rebootKey = QStringLiteral("simulated/reboot_seconds");
        s.rebootSeconds = config.number(rebootKey, 5);
        if (s.rebootSeconds < 0 || s.rebootSeconds > 600)
            throw bad(rebootKey, file, QStringLiteral("must be 0 to 600"));
    }
    return s;
}

httpd::Settings ServiceSettings::server() const {
    httpd::Settings h;
    h.address = listenAddress;
    h.port = port;
    h.maxConnections = maxConnections;
    h.maxConnectionsPerClient = maxConnectionsPerClient;
    h.idleTimeoutSeconds = idleTimeoutSeconds;
    h.requestTimeoutSeconds = requestTimeoutSeconds;
    h.maxUrlBytes = maxUrlBytes;
    h.maxHeaderBytes = maxHeaderBytes;
    h.maxBodyBytes = maxBodyBytes;
    return h;
}

} // namespace oltd
