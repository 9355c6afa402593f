#include "sandbox/certificate.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSslKey>

namespace sandbox {

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void make(const QString& certificate, const QString& key) {
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                   QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                   QStringLiteral("-days"), QStringLiteral("3650"), QStringLiteral("-subj"),
                   QStringLiteral("/CN=127.0.0.1/O=ZEL CRM sandbox"), QStringLiteral("-addext"),
                   QStringLiteral("subjectAltName=IP:127.0.0.1,DNS:localhost"),
                   QStringLiteral("-keyout"), key, QStringLiteral("-out"), certificate});
    if (!openssl.waitForFinished(60000) || openssl.exitStatus() != QProcess::NormalExit ||
        openssl.exitCode() != 0) {
        QFile::remove(certificate);
        QFile::remove(key);
        throw CertificateError("openssl could not make the sandbox certificate: " +
                               openssl.readAll().trimmed().toStdString());
    }
    QFile::setPermissions(key, QFile::ReadOwner | QFile::WriteOwner);
}

} // namespace

Certificate::Certificate(const QString& dataFolder) {
    if (!QDir().mkpath(dataFolder))
        throw CertificateError("the data folder " + dataFolder.toStdString() + " cannot be made");
    const QDir dir(dataFolder);
    m_certificatePath = dir.filePath(QStringLiteral("cert.pem"));
    const QString keyPath = dir.filePath(QStringLiteral("key.pem"));
    if (!QFile::exists(m_certificatePath) || !QFile::exists(keyPath))
        make(m_certificatePath, keyPath);
    const QSslCertificate certificate(contents(m_certificatePath), QSsl::Pem);
    const QSslKey key(contents(keyPath), QSsl::Ec, QSsl::Pem);
    if (certificate.isNull() || key.isNull())
        throw CertificateError("the sandbox certificate in " + dataFolder.toStdString() +
                               " cannot be read; remove cert.pem and key.pem to make a new one");
    m_tls = QSslConfiguration::defaultConfiguration();
    m_tls.setLocalCertificate(certificate);
    m_tls.setPrivateKey(key);
    m_tls.setPeerVerifyMode(QSslSocket::VerifyNone);
}

} // namespace sandbox
