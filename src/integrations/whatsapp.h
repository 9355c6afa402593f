#pragma once

#include "integrations/send_result.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace core {
class Config;
}

namespace integrations {

// The WhatsApp message API and the instance it sends from ([services]
// message_api, message_api_ca_file, [accounts] message_api_instance,
// message_api_token).
struct WhatsAppAccount {
    QString api;      // host[:port]
    QString instance; // instance id, in the path and in a header
    QString token;
    QString caFile; // PEM file of extra trusted certificates; empty = the system's only
    static WhatsAppAccount fromConfig(const core::Config& config);
};

// "https://«api»/instance«instance»/sendMessage?token=«token»", the instance
// and the token percent-encoded.
QUrl whatsAppUrl(const WhatsAppAccount& account);

// {"phone": «number», "body": «message»} as compact JSON.
QByteArray whatsAppBody(const QString& number, const QString& message);

// Posts one message and waits for the API's answer, at most waitLimitSeconds,
// with the UI live. An unreachable API, a refused certificate, an HTTP error
// status or no answer in time is an error.
SendResult whatsAppMessageSend(const WhatsAppAccount& account, int waitLimitSeconds,
                               const QString& number, const QString& message);

} // namespace integrations
