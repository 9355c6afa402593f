#pragma once

#include "oltd/session/cli_session.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <memory>

namespace oltd {

using SteadyClock = std::chrono::steady_clock;

// The byte stream under a CliSession: an SSH shell channel or a telnet
// connection, already authenticated as far as the protocol goes.
class Transport {
public:
    enum class Read { Data, TimedOut, Closed };

    virtual ~Transport() = default;
    // Appends what arrives before the deadline to *into.
    virtual Read read(QByteArray* into, SteadyClock::time_point deadline) = 0;
    virtual bool write(const QByteArray& bytes) = 0;
};

// How opening a transport went; code Ok with the transport, or why not.
struct Connection {
    std::unique_ptr<Transport> transport;
    Code code = Code::Ok;
    QString message;
};

// Connects, checks the pinned host key, authenticates and opens a shell.
Connection openSsh(const SessionTarget& target, SteadyClock::time_point deadline);
// Connects and negotiates the telnet options; the login is the session's.
Connection openTelnet(const SessionTarget& target, SteadyClock::time_point deadline);

// Milliseconds left until the deadline, at least 1 so a poll still looks.
int millisecondsLeft(SteadyClock::time_point deadline);

} // namespace oltd
