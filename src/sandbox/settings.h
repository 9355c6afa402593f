#pragma once

#include "core/config.h"

#include <QHostAddress>
#include <QString>

namespace sandbox {

// The demo accounts the stand-ins accept: the same values the demo
// configuration of the client carries.
struct Accounts {
    QString smsUser, smsPassword;
    QString messageInstance, messageToken;
    QString oltWebUser, oltWebPassword;
    QString smtpUser, smtpPassword; // empty user: mail is taken without AUTH
};

// zelcrm-sandbox's own INI: where it listens, where it keeps its files and
// which database its subscribers come from.
struct Settings {
    QHostAddress listenAddress;
    quint16 httpPort = 0;  // 0 = any free port
    quint16 httpsPort = 0; // message API and OLT login page
    quint16 smtpPort = 0;
    quint16 proxyPort = 0; // web proxy that takes the browser to the OLT login page
    QString dataFolder;    // certificate and key, made at first start
    QString clientDb;      // the demo database (SQLite) the lookups answer from
    // host:port of the OLT management web service whose /olt/ pages the
    // sandbox's address stands for; empty: those pages are not served
    QString oltService;
    Accounts accounts;
    static Settings fromConfig(const core::Config& config);
};

} // namespace sandbox
