#pragma once

#include "faults/fault_rules.h"
#include "integrations/mail.h"
#include "integrations/sms.h"
#include "integrations/whatsapp.h"

namespace core {
class Config;
}

// How the fault desk reaches people: one SMS, WhatsApp message or mail at a
// time, each waiting at most the configured limit with the UI live.
namespace faults {

struct NoticeChannels {
    integrations::SmsAccount sms;
    integrations::WhatsAppAccount whatsApp;
    integrations::MailAccount mail;
    int waitLimitSeconds = 0;

    // Read before a ticket is touched: a workstation set up without one of
    // the accounts learns so before anything is stored, not after.
    static NoticeChannels fromConfig(const core::Config& config);
};

// Sends one notice; the reason it could not go, or empty when it went.
QString send(const NoticeChannels& channels, const Notice& notice);
QString send(const NoticeChannels& channels, const integrations::Mail& mail);

// "SMS  9812345678: reason": one line of the list of notices not sent.
QString failureLine(const Notice& notice, const QString& reason);

} // namespace faults
