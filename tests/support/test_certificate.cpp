#include "support/test_certificate.h"

#include <QFile>
#include <QProcess>
#include <QTest>

namespace support {

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TestCertificate::TestCertificate() {
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                   QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                   QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                   QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
                   QStringLiteral("subjectAltName=IP:127.0.0.1,DNS:localhost"),
                   QStringLiteral("-keyout"), m_dir.filePath(QStringLiteral("key.pem")),
                   QStringLiteral("-out"), certificatePath()});
    if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) {
        QTest::qFail("openssl could not make a test certificate", __FILE__, __LINE__);
        return;
    }
    m_certificate = QSslCertificate(contents(certificatePath()), QSsl::Pem);
    m_key = QSslKey(contents(m_dir.filePath(QStringLiteral("key.pem"))), QSsl::Ec, QSsl::Pem);
}

QSslConfiguration TestCertificate::serverConfiguration() const {
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(m_certificate);
    tls.setPrivateKey(m_key);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    return tls;
}

} // namespace support
