#pragma once

#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QString>
#include <QTemporaryDir>

namespace support {

// A fresh self-signed certificate for 127.0.0.1 (and localhost), made by
// openssl at run time in a temporary folder. Nothing trusts it unless a test
// hands certificatePath() to the client as its extra trusted file.
class TestCertificate {
public:
    TestCertificate();

    bool isValid() const { return !m_certificate.isNull() && !m_key.isNull(); }
    QString certificatePath() const { return m_dir.filePath(QStringLiteral("cert.pem")); }
    QSslCertificate certificate() const { return m_certificate; }
    QSslKey key() const { return m_key; }
    // What a server socket needs to answer a TLS handshake with it.
    QSslConfiguration serverConfiguration() const;

private:
    QTemporaryDir m_dir;
    QSslCertificate m_certificate;
    QSslKey m_key;
};

} // namespace support
