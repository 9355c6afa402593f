#pragma once

#include "core/config.h"
#include "httpd/server.h"
#include "oltd/inventory.h"

#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>

namespace oltd {

using Subnet = QPair<QHostAddress, int>;

// The service's own settings, read from its INI file (--config). Every
// problem is a core::ConfigError naming the key and the file.
struct ServiceSettings {
    QHostAddress listenAddress;
    quint16 port = 0; // 0: any free port (tests, the demo)
    QList<Subnet> allow;
    // What the HTTP server bears from its clients ([service] keys of the
    // same names); the defaults suit a NOC's desks.
    int maxConnections = 1000;
    int maxConnectionsPerClient = 64;
    int idleTimeoutSeconds = 30;
    int requestTimeoutSeconds = 10;
    int maxUrlBytes = 8192;
    int maxHeaderBytes = 16384;
    int maxBodyBytes = 65536; // the pages are read with GET
    QString auditLog;
    // [oltd] offline_min_hours: clearing offline ONUs removes only those
    // down at least this long.
    int offlineMinHours = 72;
    // [oltd] queue_depth: requests that may wait for one OLT; one more is
    // answered BUSY.
    int queueDepth = 8;
    // [oltd] session_idle_seconds: an OLT's command line unused this long
    // is logged out.
    int sessionIdleSeconds = 120;
    // [oltd] state_dir: where each OLT's ONU index is kept across restarts;
    // empty: in memory only.
    QString stateDir;
    Inventory inventory;
    QString simulatedFile;
    int rebootSeconds = 5;

    // `env`: where a systemd credential directory is found.
    static ServiceSettings
    fromConfig(const core::Config& config,
               const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());
    // The HTTP server's settings: address, port and limits.
    httpd::Settings server() const;
};

// "127.0.0.1/32, 10.20.0.0/16" -> subnets; a bare address is a /32 (/128).
QList<Subnet> parseAllow(const QString& text, const QString& key, const QString& file);
bool isAllowed(const QList<Subnet>& allow, const QHostAddress& client);

} // namespace oltd
