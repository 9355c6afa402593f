#pragma once

#include <QString>

namespace oltd {

// The SSH host key an OLT offers, as its SHA256 fingerprint ("SHA256:"
// and the base64 digest, as ssh-keygen -l prints it), for pinning it in the
// inventory. Empty, with *error saying why, when none could be read.
QString sshHostKeyFingerprint(const QString& host, quint16 port, bool legacy, QString* error);

} // namespace oltd
