#include "integrations/sms.h"

#include "core/config.h"
#include "integrations/service_error.h"
#include "integrations/web_request.h"

namespace integrations {

namespace {

QString encoded(const QString& value) {
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

} // namespace

SmsAccount SmsAccount::fromConfig(const core::Config& config) {
    return {config.required(QStringLiteral("services/sms_gateway")),
            config.required(QStringLiteral("accounts/sms_user")),
            config.required(QStringLiteral("accounts/sms_password")),
            config.required(QStringLiteral("accounts/sms_sender"))};
}

QUrl smsUrl(const SmsAccount& account, const QString& mobile, const QString& text) {
    const QString address = QStringLiteral("http://") + account.gateway +
                            QStringLiteral("/api/swsendSingle.asp?username=") +
                            encoded(account.user) + QStringLiteral("&password=") +
                            encoded(account.password) + QStringLiteral("&sender=") +
                            encoded(account.sender) + QStringLiteral("&sendto=") + encoded(mobile) +
                            QStringLiteral("&message=") + encoded(text);
    return QUrl(address, QUrl::StrictMode);
}

SendResult smsMessageSend(const core::Config& config, const QString& mobile, const QString& text) {
    return smsMessageSend(SmsAccount::fromConfig(config), config.waitLimitSeconds(), mobile, text);
}

SendResult smsMessageSend(const SmsAccount& account, int waitLimitSeconds, const QString& mobile,
                          const QString& text) {
    const HttpAnswer answer = httpGet(smsUrl(account, mobile, text), waitLimitSeconds);
    return serviceResult(QStringLiteral("SMS gateway"), answer, {account.password});
}

} // namespace integrations
