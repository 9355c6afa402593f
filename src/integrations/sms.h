#pragma once

#include "integrations/send_result.h"

#include <QString>
#include <QUrl>

namespace core {
class Config;
}

namespace integrations {

// The SMS gateway and the account it sends from ([services] sms_gateway,
// [accounts] sms_user, sms_password, sms_sender).
struct SmsAccount {
    QString gateway;
    QString user;
    QString password;
    QString sender;
    static SmsAccount fromConfig(const core::Config& config);
};

// "http://«gateway»/api/swsendSingle.asp?username=..&password=..&sender=..
// &sendto=«mobile»&message=«text»", every value percent-encoded so a "&" or
// "#" in a text cannot cut the message short.
QUrl smsUrl(const SmsAccount& account, const QString& mobile, const QString& text);

// Sends one SMS and waits for the gateway's page, at most the configured wait
// limit, with the UI live. What the page says is not examined; an unreachable
// gateway, an HTTP error status or no answer in time is an error. A missing
// configuration key throws core::ConfigError.
SendResult smsMessageSend(const core::Config& config, const QString& mobile, const QString& text);
SendResult smsMessageSend(const SmsAccount& account, int waitLimitSeconds, const QString& mobile,
                          const QString& text);

} // namespace integrations
