#pragma once

#include "oltd/session/command_line.h"
#include "oltd/session/dialect.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <memory>

namespace oltd {

enum class TransportKind { Ssh, Telnet };

// Where and how a session reaches its OLT (from the inventory).
struct SessionTarget {
    QString host;
    quint16 port = 22;
    TransportKind transport = TransportKind::Ssh;
    QString user;
    QString password;
    QString enablePassword;
    // The pinned SSH host key: "SHA256:" and the base64 digest, as ssh-keygen
    // -l prints it. A different key is refused (Auth) and never accepted.
    QString hostKeySha256;
    // Allows diffie-hellman-group1-sha1 and ssh-rsa, which older units need.
    bool legacySsh = false;
    std::chrono::milliseconds loginTimeout{15000};
    std::chrono::milliseconds commandTimeout{20000};
};

// A command line on one OLT over SSH (libssh) or telnet (libtelnet), logged
// in once and used for one command at a time. A dropped connection or a
// command past its time limit closes it; the next command logs in again.
// Not thread-safe: one thread uses it at a time.
class CliSession final : public CommandLine {
public:
    CliSession(Dialect dialect, SessionTarget target);
    ~CliSession() override; // logs out politely when open

    // Connects, logs in and sends the dialect's setup commands. Ok, Auth
    // (refused login or changed host key), Timeout or DeviceError, with a
    // message an engineer can act on.
    CommandReply open();
    bool isOpen() const;
    void close();
    // When the session last ran a command (or opened).
    std::chrono::steady_clock::time_point lastUsed() const;

    CommandReply run(const QString& command, Confirm confirm = Confirm::No) override;
    QString prompt() const override;
    void mask(const QString& secret) override;
    QStringList takeTranscript() override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace oltd
