#pragma once

#include "faults.h"
#include "olt_state.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace oltemu {

struct EmulatorOptions {
    QString stateFile; // JSON; or stateJson when set
    QByteArray stateJson;
    QString hostKeyFile;    // an RSA private key to serve, or
    QString hostKeyDir;     // a folder where one is made once and kept
    bool legacySsh = false; // only diffie-hellman-group1-sha1 and ssh-rsa, as old MA5600T units
    bool ssh = true, telnet = true;
    quint16 sshPort = 0, telnetPort = 0; // 0: any free port on 127.0.0.1
};

// One emulated OLT: its state, its misbehaviour switches and its SSH and
// telnet servers on 127.0.0.1, each session on a thread of its own.
class OltEmulator {
public:
    explicit OltEmulator(EmulatorOptions options);
    ~OltEmulator();
    OltEmulator(const OltEmulator&) = delete;
    OltEmulator& operator=(const OltEmulator&) = delete;

    bool start(QString* error);
    void stop();

    quint16 sshPort() const;
    quint16 telnetPort() const;
    Faults& faults();
    OltState& state();
    int activeSessions() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The SHA256 fingerprint ("SHA256:" and the base64 digest, as ssh-keygen -l
// prints it) of the host key an emulator keeps in `keyDir`; what an
// engineer pins for it. Empty when there is no key there yet.
QString hostKeySha256(const QString& keyDir);

} // namespace oltemu
