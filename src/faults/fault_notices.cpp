#include "faults/fault_notices.h"

#include "core/config.h"

namespace faults {

NoticeChannels NoticeChannels::fromConfig(const core::Config& config) {
    return {integrations::SmsAccount::fromConfig(config),
            integrations::WhatsAppAccount::fromConfig(config),
            integrations::MailAccount::fromConfig(config), config.waitLimitSeconds()};
}

QString send(const NoticeChannels& channels, const Notice& notice) {
    switch (notice.channel) {
    case Channel::Sms:
        return integrations::smsMessageSend(channels.sms, channels.waitLimitSeconds,
                                            notice.recipient, notice.text)
            .error;
    case Channel::WhatsApp:
        return integrations::whatsAppMessageSend(channels.whatsApp, channels.waitLimitSeconds,
                                                 notice.recipient, notice.text)
            .error;
    case Channel::Mail:
        break;
    }
    return QStringLiteral("no such channel");
}

QString send(const NoticeChannels& channels, const integrations::Mail& mail) {
    return integrations::mailSend(channels.mail, channels.waitLimitSeconds, mail).error;
}

QString failureLine(const Notice& notice, const QString& reason) {
    return channelName(notice.channel) + u' ' + notice.recipient + QStringLiteral(": ") + reason;
}

} // namespace faults
