#pragma once

#include "cli_client.h"

#include <olt_emulator.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <functional>
#include <memory>

// The demo states the emulator ships with, edited per test.
inline QJsonObject demoState(const QString& name) {
    QFile f(QStringLiteral(OLT_EMULATOR_STATES "/") + name);
    f.open(QIODevice::ReadOnly);
    return QJsonDocument::fromJson(f.readAll()).object();
}

inline const QString Zte = QStringLiteral("zte-c320.json");
inline const QString ZteC600 = QStringLiteral("zte-c600.json");
inline const QString Huawei = QStringLiteral("huawei-ma5608t.json");

inline std::unique_ptr<oltemu::OltEmulator> startEmulator(const QString& name,
                                                          const QJsonObject& changes = {},
                                                          const QString& keyDir = {},
                                                          bool legacy = false) {
    QJsonObject state = demoState(name);
    for (auto it = changes.begin(); it != changes.end(); ++it)
        state.insert(it.key(), it.value());
    oltemu::EmulatorOptions o;
    o.stateJson = QJsonDocument(state).toJson();
    o.ssh = !keyDir.isEmpty();
    o.hostKeyDir = keyDir;
    o.legacySsh = legacy;
    auto emu = std::make_unique<oltemu::OltEmulator>(o);
    QString error;
    if (!emu->start(&error))
        qWarning("emulator: %s", qPrintable(error));
    return emu;
}

inline QByteArray prompt(const QString& name) {
    if (name == Huawei)
        return "VLG-MA5608T#";
    return name == ZteC600 ? "KRN-C600#" : "KRN-C320#";
}

// Logs in over telnet. Huawei sessions are taken to "#"; with setup they
// also get the driver's session setup (no smart prompts, no paging).
inline std::unique_ptr<TelnetClient> telnetLogin(quint16 port, const QString& name,
                                                 bool setup = true) {
    auto c = std::make_unique<TelnetClient>();
    if (!c->connectTo(port))
        return nullptr;
    const bool zte = name != Huawei;
    if (!c->waitFor(zte ? "Username:" : ">>User name:"))
        return nullptr;
    c->send("noc-oltd\n");
    if (!c->waitFor(zte ? "Password:" : ">>User password:"))
        return nullptr;
    c->send("oltd-pass\n");
    if (!c->waitFor(zte ? prompt(name) : "VLG-MA5608T>"))
        return nullptr;
    if (!zte) {
        c->command("enable", "VLG-MA5608T#");
        if (setup) {
            c->command("undo smart", "VLG-MA5608T#");
            c->command("scroll", "VLG-MA5608T#");
        }
    }
    c->take();
    return c;
}

inline std::unique_ptr<TelnetClient> telnetLogin(oltemu::OltEmulator& emu, const QString& name,
                                                 bool setup = true) {
    return telnetLogin(emu.telnetPort(), name, setup);
}

using Steps = QList<QByteArray>;

// Runs "command|prompt" steps; the text of every answer, joined.
inline QByteArray runSteps(CliClient& c, const Steps& steps) {
    QByteArray all;
    for (const QByteArray& step : steps) {
        const qsizetype bar = step.indexOf('|');
        all += c.command(step.left(bar), step.mid(bar + 1));
    }
    return all;
}

inline QByteArray lines(const QList<QByteArray>& list) {
    QByteArray out;
    for (const QByteArray& l : list)
        out += l + "\r\n";
    return out;
}
