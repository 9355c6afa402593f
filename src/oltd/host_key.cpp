#include "oltd/host_key.h"

#include <libssh/libssh.h>
#include <memory>

namespace oltd {

QString sshHostKeyFingerprint(const QString& host, quint16 port, bool legacy, QString* error) {
    std::unique_ptr<ssh_session_struct, void (*)(ssh_session)> session(ssh_new(), ssh_free);
    const QByteArray address = host.toUtf8();
    unsigned int portNumber = port;
    long seconds = 10;
    ssh_options_set(session.get(), SSH_OPTIONS_HOST, address.constData());
    ssh_options_set(session.get(), SSH_OPTIONS_PORT, &portNumber);
    ssh_options_set(session.get(), SSH_OPTIONS_TIMEOUT, &seconds);
    if (legacy) {
        ssh_options_set(session.get(), SSH_OPTIONS_KEY_EXCHANGE,
                        "curve25519-sha256,ecdh-sha2-nistp256,diffie-hellman-group14-sha256,"
                        "diffie-hellman-group14-sha1,diffie-hellman-group1-sha1");
        ssh_options_set(session.get(), SSH_OPTIONS_HOSTKEYS,
                        "ssh-ed25519,ecdsa-sha2-nistp256,rsa-sha2-512,rsa-sha2-256,ssh-rsa");
    }
    if (ssh_connect(session.get()) != SSH_OK) {
        *error = QString::fromUtf8(ssh_get_error(session.get()));
        return {};
    }
    ssh_key key = nullptr;
    QString fingerprint;
    if (ssh_get_server_publickey(session.get(), &key) == SSH_OK) {
        unsigned char* hash = nullptr;
        size_t length = 0;
        if (ssh_get_publickey_hash(key, SSH_PUBLICKEY_HASH_SHA256, &hash, &length) == 0) {
            char* text = ssh_get_fingerprint_hash(SSH_PUBLICKEY_HASH_SHA256, hash, length);
            fingerprint = QString::fromLatin1(text);
            ssh_string_free_char(text);
            ssh_clean_pubkey_hash(&hash);
        }
        ssh_key_free(key);
    }
    if (fingerprint.isEmpty())
        *error = QStringLiteral("the server offered no host key that could be read");
    ssh_disconnect(session.get());
    return fingerprint;
}

} // namespace oltd
