#pragma once

#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QString>
#include <stdexcept>

namespace sandbox {

class CertificateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The sandbox's self-signed certificate for 127.0.0.1 and localhost, made by
// openssl at first start in the data folder (cert.pem, key.pem) and reused
// afterwards, so a demo configuration that trusts cert.pem keeps working.
class Certificate {
public:
    // Makes the files when missing; throws CertificateError when they cannot
    // be made or read.
    explicit Certificate(const QString& dataFolder);

    QString certificatePath() const { return m_certificatePath; }
    QSslCertificate certificate() const { return m_tls.localCertificate(); }
    QSslKey key() const { return m_tls.privateKey(); }
    QSslConfiguration serverConfiguration() const { return m_tls; }

private:
    QString m_certificatePath;
    QSslConfiguration m_tls;
};

} // namespace sandbox
