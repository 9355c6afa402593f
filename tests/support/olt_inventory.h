#pragma once

// Emulated OLTs as the service's inventory names them: for the tests and
// benchmarks that put zelcrm-oltd in front of the emulators.
#include "oltd/inventory.h"

#include <olt_emulator.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace support {

// A state file of the emulators' folder, as JSON, with `changes` on top.
inline QJsonObject emulatorState(const QString& name, const QJsonObject& changes = {}) {
    QFile f(QStringLiteral(OLT_EMULATOR_STATES "/") + name);
    f.open(QIODevice::ReadOnly);
    QJsonObject state = QJsonDocument::fromJson(f.readAll()).object();
    for (auto it = changes.begin(); it != changes.end(); ++it)
        state.insert(it.key(), it.value());
    return state;
}

// An emulator of that state on 127.0.0.1, SSH and telnet; nullptr when it
// cannot start.
inline std::unique_ptr<oltemu::OltEmulator> startOltEmulator(const QJsonObject& state,
                                                             const QString& keyDir) {
    oltemu::EmulatorOptions o;
    o.stateJson = QJsonDocument(state).toJson();
    o.hostKeyDir = keyDir;
    auto emulator = std::make_unique<oltemu::OltEmulator>(o);
    QString error;
    if (!emulator->start(&error)) {
        qWarning("emulator: %s", qPrintable(error));
        return nullptr;
    }
    return emulator;
}

// The inventory entry of an emulator keeping its host key in `keyDir`, as
// an engineer would write it: its host key pinned, the state's accounts.
inline oltd::OltEntry emulatedOlt(const QString& ip, const oltemu::OltEmulator& emulator,
                                  const QJsonObject& state, const QString& keyDir,
                                  oltd::TransportKind transport = oltd::TransportKind::Ssh) {
    oltd::OltEntry e;
    e.ip = ip;
    e.name = state.value(QStringLiteral("hostname")).toString();
    e.driver = state.value(QStringLiteral("vendor")).toString();
    e.target.transport = transport;
    e.target.host = QStringLiteral("127.0.0.1");
    e.target.port =
        transport == oltd::TransportKind::Ssh ? emulator.sshPort() : emulator.telnetPort();
    e.target.user = state.value(QStringLiteral("username")).toString();
    e.target.password = state.value(QStringLiteral("password")).toString();
    e.target.enablePassword = state.value(QStringLiteral("enablePassword")).toString();
    if (transport == oltd::TransportKind::Ssh)
        e.target.hostKeySha256 = oltemu::hostKeySha256(keyDir);
    e.timeZone = QTimeZone::systemTimeZone();
    return e;
}

} // namespace support
