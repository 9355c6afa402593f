#pragma once

#include "core/config.h"
#include "oltd/session/cli_session.h"

#include <QHash>
#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QTimeZone>

namespace oltd {

// One OLT of the inventory: an [olt «ip»] section of the service's INI file.
struct OltEntry {
    QString ip;     // the management address the pages name it by (the "ip" key)
    QString name;   // for logs; the ip when not given
    QString driver; // "zte", "huawei", "simulated"
    SessionTarget target;
    int sessions = 1; // command lines it may hold at once
    QTimeZone timeZone;
};

struct Inventory {
    QList<OltEntry> olts;
    // [oltd] default_driver: what serves an address the inventory lacks
    // ("simulated"); empty: such an address is not served.
    QString defaultDriver;

    const OltEntry* find(const QString& ip) const;
    bool uses(const QString& driver) const;
};

// The inventory of the INI file, with the passwords its entries name read
// from the secrets file. Throws core::ConfigError naming the key and file
// (or the secrets file) for anything wrong, before the service starts.
Inventory readInventory(const core::Config& config,
                        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());

// A secrets file: "name = password" lines; blank lines and lines starting
// with "#" are skipped. Refused unless only its owner may read it.
QHash<QString, QString> readSecrets(const QString& path);

} // namespace oltd
