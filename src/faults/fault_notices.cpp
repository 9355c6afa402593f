#include "faults/fault_notices.h"

#include "core/config.h"

namespace faults {

namespace {

template <class Account>
void readAccount(const core::Config& config, std::optional<Account>& account, QString& problem) {
    try {
        account = Account::fromConfig(config);
    } catch (const core::ConfigError& e) {
        problem = e.message();
    }
}

} // namespace

NoticeChannels NoticeChannels::fromConfig(const core::Config& config) {
    NoticeChannels c;
    readAccount(config, c.m_sms, c.m_smsProblem);
    readAccount(config, c.m_whatsApp, c.m_whatsAppProblem);
    readAccount(config, c.m_mail, c.m_mailProblem);
    try {
        c.m_waitLimitSeconds = config.waitLimitSeconds();
    } catch (const core::ConfigError& e) {
        // Without a sound limit no channel may wait at all.
        c.m_sms.reset();
        c.m_whatsApp.reset();
        c.m_mail.reset();
        c.m_smsProblem = c.m_whatsAppProblem = c.m_mailProblem = e.message();
    }
    return c;
}

QString NoticeChannels::problem(Channel channel) const {
    switch (channel) {
    case Channel::Sms:
        return m_smsProblem;
    case Channel::WhatsApp:
        return m_whatsAppProblem;
    case Channel::Mail:
        return m_mailProblem;
    }
    return {};
}

QString NoticeChannels::sent(Channel channel, const integrations::SendResult& result) const {
    if (result.unanswered)
        m_unanswered << channel;
    return result.error;
}

QString NoticeChannels::send(const Notice& notice) const {
    if (const QString p = problem(notice.channel); !p.isEmpty())
        return p;
    if (m_unanswered.contains(notice.channel))
        return QStringLiteral("not sent: the %1 service gave no answer to an earlier notice")
            .arg(channelName(notice.channel));
    switch (notice.channel) {
    case Channel::Sms:
        return sent(Channel::Sms, integrations::smsMessageSend(*m_sms, m_waitLimitSeconds,
                                                               notice.recipient, notice.text));
    case Channel::WhatsApp:
        return sent(Channel::WhatsApp,
                    integrations::whatsAppMessageSend(*m_whatsApp, m_waitLimitSeconds,
                                                      notice.recipient, notice.text));
    case Channel::Mail:
        break;
    }
    return QStringLiteral("no such channel");
}

integrations::MailResult NoticeChannels::send(const integrations::Mail& mail) const {
    integrations::MailResult result;
    if (!m_mail) {
        result.error = m_mailProblem;
        return result;
    }
    result = integrations::mailSend(*m_mail, m_waitLimitSeconds, mail);
    sent(Channel::Mail, result);
    return result;
}

QString failureLine(const Notice& notice, const QString& reason) {
    return channelName(notice.channel) + u' ' + notice.recipient + QStringLiteral(": ") + reason;
}

QStringList refusalLines(const QList<integrations::RefusedRecipient>& refused) {
    QStringList lines;
    for (const integrations::RefusedRecipient& r : refused)
        lines << failureLine({Channel::Mail, r.address, {}}, r.reason);
    return lines;
}

} // namespace faults
