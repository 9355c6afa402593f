#include "oltd/session/transport.h"

#include <libssh/libssh.h>

#include <mutex>

namespace oltd {

namespace {

// libssh's own defaults (0.10), so a legacy OLT adds to them instead of
// narrowing a modern one down to broken algorithms.
constexpr const char* ModernKex =
    "curve25519-sha256,curve25519-sha256@libssh.org,ecdh-sha2-nistp256,ecdh-sha2-nistp384,"
    "ecdh-sha2-nistp521,diffie-hellman-group18-sha512,diffie-hellman-group16-sha512,"
    "diffie-hellman-group-exchange-sha256,diffie-hellman-group14-sha256";
constexpr const char* ModernHostKeys = "ssh-ed25519,ecdsa-sha2-nistp521,ecdsa-sha2-nistp384,"
                                       "ecdsa-sha2-nistp256,rsa-sha2-512,rsa-sha2-256";

void initLibssh() {
    static std::once_flag once;
    std::call_once(once, [] { ssh_init(); });
}

QString sshError(ssh_session s) {
    return QString::fromLocal8Bit(ssh_get_error(s));
}

// The server key's fingerprint as ssh-keygen -l prints it, empty when
// libssh cannot tell.
QString serverFingerprint(ssh_session s) {
    ssh_key key = nullptr;
    if (ssh_get_server_publickey(s, &key) != SSH_OK)
        return {};
    unsigned char* hash = nullptr;
    size_t length = 0;
    QString text;
    if (ssh_get_publickey_hash(key, SSH_PUBLICKEY_HASH_SHA256, &hash, &length) == SSH_OK) {
        char* printable = ssh_get_fingerprint_hash(SSH_PUBLICKEY_HASH_SHA256, hash, length);
        text = QString::fromLatin1(printable);
        ssh_string_free_char(printable);
        ssh_clean_pubkey_hash(&hash);
    }
    ssh_key_free(key);
    return text;
}

// Why a host key is not accepted, or empty when it matches the pin.
QString hostKeyRefusal(const QString& seen, const QString& pinned) {
    if (pinned.isEmpty())
        return QStringLiteral("No SSH host key is pinned for this OLT; it offers %1. Check that "
                              "fingerprint with the OLT's administrator and pin it.")
            .arg(seen);
    if (seen != pinned)
        return QStringLiteral("The OLT's SSH host key changed: it offers %1 but %2 is pinned. "
                              "Refused; pin the new fingerprint only once the change is "
                              "confirmed.")
            .arg(seen, pinned);
    return {};
}

class SshTransport final : public Transport {
public:
    SshTransport(ssh_session session, ssh_channel channel)
        : m_session(session)
        , m_channel(channel) {}
    ~SshTransport() override {
        ssh_channel_free(m_channel);
        ssh_disconnect(m_session);
        ssh_free(m_session);
    }

    Read read(QByteArray* into, SteadyClock::time_point deadline) override {
        char buf[4096];
        const int n =
            ssh_channel_read_timeout(m_channel, buf, sizeof buf, 0, millisecondsLeft(deadline));
        if (n > 0) {
            into->append(buf, n);
            return Read::Data;
        }
        if (n == SSH_ERROR || ssh_channel_is_eof(m_channel) || !ssh_channel_is_open(m_channel))
            return Read::Closed;
        return Read::TimedOut;
    }

    bool write(const QByteArray& bytes) override {
        return ssh_channel_write(m_channel, bytes.constData(),
                                 static_cast<uint32_t>(bytes.size())) == bytes.size();
    }

private:
    ssh_session m_session;
    ssh_channel m_channel;
};

// Applies the target's address, user, time limit and algorithms.
void configure(ssh_session s, const SessionTarget& t, SteadyClock::time_point deadline) {
    const QByteArray host = t.host.toUtf8(), user = t.user.toUtf8();
    const unsigned int port = t.port;
    const auto left = std::chrono::milliseconds(millisecondsLeft(deadline));
    const long seconds = static_cast<long>(left.count() / 1000);
    const long usec = static_cast<long>(left.count() % 1000 * 1000);
    const int no = 0;
    ssh_options_set(s, SSH_OPTIONS_HOST, host.constData());
    ssh_options_set(s, SSH_OPTIONS_PORT, &port);
    ssh_options_set(s, SSH_OPTIONS_USER, user.constData());
    ssh_options_set(s, SSH_OPTIONS_TIMEOUT, &seconds);
    ssh_options_set(s, SSH_OPTIONS_TIMEOUT_USEC, &usec);
    // Nothing from the service account's ~/.ssh may change how OLTs are reached.
    ssh_options_set(s, SSH_OPTIONS_PROCESS_CONFIG, &no);
    if (t.legacySsh) {
        const QByteArray kex = QByteArray(ModernKex) + ",diffie-hellman-group1-sha1";
        const QByteArray keys = QByteArray(ModernHostKeys) + ",ssh-rsa";
        ssh_options_set(s, SSH_OPTIONS_KEY_EXCHANGE, kex.constData());
        ssh_options_set(s, SSH_OPTIONS_HOSTKEYS, keys.constData());
    }
}

Connection failed(ssh_session s, Code code, const QString& message) {
    ssh_disconnect(s);
    ssh_free(s);
    return {nullptr, code, message};
}

} // namespace

Connection openSsh(const SessionTarget& t, SteadyClock::time_point deadline) {
    initLibssh();
    ssh_session s = ssh_new();
    if (!s)
        return {nullptr, Code::DeviceError, QStringLiteral("libssh could not start a session")};
    configure(s, t, deadline);
    const QString where = QStringLiteral("%1:%2").arg(t.host).arg(t.port);
    if (ssh_connect(s) != SSH_OK) {
        const bool late = SteadyClock::now() >= deadline;
        return failed(
            s, late ? Code::Timeout : Code::DeviceError,
            QStringLiteral("Cannot reach the OLT over SSH at %1: %2").arg(where, sshError(s)));
    }
    const QString refusal = hostKeyRefusal(serverFingerprint(s), t.hostKeySha256);
    if (!refusal.isEmpty())
        return failed(s, Code::Auth, refusal);
    const QByteArray password = t.password.toUtf8();
    const int auth = ssh_userauth_password(s, nullptr, password.constData());
    if (auth != SSH_AUTH_SUCCESS)
        return failed(
            s, auth == SSH_AUTH_ERROR ? Code::DeviceError : Code::Auth,
            auth == SSH_AUTH_ERROR
                ? QStringLiteral("SSH login to %1 failed: %2").arg(where, sshError(s))
                : QStringLiteral("The OLT refused the login of user %1 over SSH").arg(t.user));
    ssh_channel channel = ssh_channel_new(s);
    // A wide pty so the device does not wrap long lines or echoes.
    if (!channel || ssh_channel_open_session(channel) != SSH_OK ||
        ssh_channel_request_pty_size(channel, "vt100", 500, 50) != SSH_OK ||
        ssh_channel_request_shell(channel) != SSH_OK) {
        const QString why = sshError(s);
        if (channel)
            ssh_channel_free(channel);
        return failed(s, Code::DeviceError,
                      QStringLiteral("The OLT at %1 gave no shell over SSH: %2").arg(where, why));
    }
    return {std::make_unique<SshTransport>(s, channel), Code::Ok, {}};
}

} // namespace oltd
