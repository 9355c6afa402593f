#pragma once

#include "faults/fault_rules.h"
#include "integrations/mail.h"
#include "integrations/sms.h"
#include "integrations/whatsapp.h"

#include <optional>

namespace core {
class Config;
}

// How the fault desk reaches people: one SMS, WhatsApp message or mail at a
// time, each waiting at most the configured limit with the UI live.
namespace faults {

// The accounts of the three channels. A channel the workstation is not set
// up for keeps its configuration error as the reason its notices do not go:
// a ticket is still stored, and the operator learns which notices failed.
class NoticeChannels {
public:
    static NoticeChannels fromConfig(const core::Config& config);

    // Why the channel cannot send at all; empty when it is set up.
    QString problem(Channel channel) const;
    // The mail account's fixed recipients and signature (empty when unset).
    QString openCc() const { return m_mail ? m_mail->openCc : QString(); }
    QString updateCc() const { return m_mail ? m_mail->updateCc : QString(); }
    QString nocPhones() const { return m_mail ? m_mail->nocPhones : QString(); }

    // Sends one notice; the reason it could not go, or empty when it went.
    // A channel whose service let one notice wait out the whole limit is not
    // asked again by this action: with a hung gateway and ten contacts the
    // operator would otherwise wait ten limits.
    QString send(const Notice& notice) const;
    // The mail may go without some recipients; the result names them.
    integrations::MailResult send(const integrations::Mail& mail) const;

private:
    std::optional<integrations::SmsAccount> m_sms;
    std::optional<integrations::WhatsAppAccount> m_whatsApp;
    std::optional<integrations::MailAccount> m_mail;
    QString m_smsProblem, m_whatsAppProblem, m_mailProblem;
    int m_waitLimitSeconds = 0;
    mutable QList<Channel> m_unanswered;

    QString sent(Channel channel, const integrations::SendResult& result) const;
};

// "SMS  9812345678: reason": one line of the list of notices not sent.
QString failureLine(const Notice& notice, const QString& reason);
// "MAIL gm@x: reason" for each recipient a mail went without.
QStringList refusalLines(const QList<integrations::RefusedRecipient>& refused);

} // namespace faults
