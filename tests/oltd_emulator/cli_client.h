#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <libssh/libssh.h>
#include <libtelnet.h>

// Plain clients for the OLT emulators: what a driver would see on the wire,
// with no knowledge of either dialect. Every wait ends at the awaited text
// or at a generous deadline that only a hung emulator reaches.
class CliClient {
public:
    virtual ~CliClient() = default;
    virtual bool send(const QByteArray& bytes) = 0;

    // Waits until text has arrived after what take() last returned.
    bool waitFor(const QByteArray& text, int timeoutMs = 15000);
    // Waits until the device hangs up.
    bool waitClosed(int timeoutMs = 15000);
    // Everything received since the last take().
    QByteArray take();
    const QByteArray& pending() const { return m_buf; }
    bool isClosed() const { return m_closed; }

    // Sends a command and returns its answer: the bytes after the echoed
    // line up to (not including) the prompt that follows.
    QByteArray command(const QByteArray& line, const QByteArray& prompt);

protected:
    // Reads what is there within timeoutMs into m_buf; false once closed.
    virtual bool poll(int timeoutMs) = 0;
    QByteArray m_buf;
    bool m_closed = false;
};

class TelnetClient : public CliClient {
public:
    ~TelnetClient() override;
    bool connectTo(quint16 port);
    bool send(const QByteArray& bytes) override;
    QStringList negotiation() const { return m_negotiation; } // "WILL 1", "DO 31", ...

protected:
    bool poll(int timeoutMs) override;

private:
    static void event(telnet_t* t, telnet_event_t* ev, void* self);
    int m_fd = -1;
    telnet_t* m_telnet = nullptr;
    QStringList m_negotiation;
};

struct SshOptions {
    QByteArray user = "noc-oltd", password = "oltd-pass";
    bool legacy = false; // offer diffie-hellman-group1-sha1 and ssh-rsa
};

class SshClient : public CliClient {
public:
    ~SshClient() override;
    // Connects, authenticates and opens a shell; on failure *error says at
    // which step ("connect", "auth", "shell").
    bool connectTo(quint16 port, const SshOptions& options, QString* error);
    QByteArray hostKeyHash() const { return m_hostKey; }
    bool send(const QByteArray& bytes) override;

protected:
    bool poll(int timeoutMs) override;

private:
    ssh_session m_session = nullptr;
    ssh_channel m_channel = nullptr;
    QByteArray m_hostKey;
};
