#include "integrations/whatsapp.h"

#include "core/config.h"
#include "integrations/service_error.h"
#include "integrations/web_request.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace integrations {

namespace {

QString encoded(const QString& value) {
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

const QString service = QStringLiteral("WhatsApp message API");

} // namespace

WhatsAppAccount WhatsAppAccount::fromConfig(const core::Config& config) {
    return {config.required(QStringLiteral("services/message_api")),
            config.required(QStringLiteral("accounts/message_api_instance")),
            config.required(QStringLiteral("accounts/message_api_token")),
            config.value(QStringLiteral("services/message_api_ca_file"))};
}

QUrl whatsAppUrl(const WhatsAppAccount& account) {
    return QUrl(QStringLiteral("https://") + account.api + QStringLiteral("/instance") +
                    encoded(account.instance) + QStringLiteral("/sendMessage?token=") +
                    encoded(account.token),
                QUrl::StrictMode);
}

QByteArray whatsAppBody(const QString& number, const QString& message) {
    const QJsonObject body{{QStringLiteral("phone"), number}, {QStringLiteral("body"), message}};
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

SendResult whatsAppMessageSend(const WhatsAppAccount& account, int waitLimitSeconds,
                               const QString& number, const QString& message) {
    QList<QSslCertificate> trusted;
    if (!account.caFile.isEmpty()) {
        trusted = QSslCertificate::fromPath(account.caFile, QSsl::Pem);
        if (trusted.isEmpty())
            return {service + QStringLiteral(": no certificate in ") + account.caFile};
    }
    const HttpHeaders headers{{"Content-type", "application/json"},
                              {"X-WM-CLIENT-ID", account.instance.toUtf8()}};
    const HttpAnswer answer = httpPost(whatsAppUrl(account), whatsAppBody(number, message), headers,
                                       waitLimitSeconds, trusted);
    return serviceResult(service, answer, {account.token});
}

} // namespace integrations
