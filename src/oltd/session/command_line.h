#pragma once

#include "oltd/driver.h"

#include <QString>
#include <QStringList>

namespace oltd {

// Whether a question the device asks before a change ("Confirm to reboot?
// [yes/no]:", "(y/n)[n]:") is answered yes. Without it the question is
// answered no, so a change the caller did not ask for is never made.
enum class Confirm { No, Yes };

// What one command line brought back.
struct CommandReply {
    // Ok: the device showed its prompt again (whatever it printed before it,
    // errors included: those are the driver's to read).
    // Timeout: no prompt within the command's time limit.
    // DeviceError: the connection dropped or could not be opened; Auth: the
    // login was refused; message says which. After anything but Ok the
    // session is closed and the next command opens it again.
    Code code = Code::Ok;
    // The device's answer: the echoed command, the prompt, pager markers,
    // answered questions, terminal control sequences and backspace runs
    // removed; lines right-trimmed and joined with "\n".
    QString text;
    // Why it failed; with Ok empty, unless the device asked a confirmation
    // that was answered no ("not confirmed: ..."): then nothing was changed.
    QString message;
    bool ok() const { return code == Code::Ok; }
};

// One logged-in command line on one OLT, as a driver uses it. A driver runs
// one command at a time on it; it never sees the transport, the login, the
// pager or the terminal's artefacts.
class CommandLine {
public:
    virtual ~CommandLine() = default;

    // Sends the command and reads until the device shows a prompt again;
    // opens (connects and logs in) first when the line is closed.
    virtual CommandReply run(const QString& command, Confirm confirm = Confirm::No) = 0;
    // The prompt the device showed last ("KRN-C320(config-if)#"); drivers
    // tell the mode from it.
    virtual QString prompt() const = 0;
    // Texts masked as "********" in every transcript line from now until
    // takeTranscript(): a password about to be sent, as typed and as echoed.
    virtual void mask(const QString& secret) = 0;
    // What was sent and heard since the last call, secrets masked; starts a
    // new transcript.
    virtual QStringList takeTranscript() = 0;
};

} // namespace oltd
