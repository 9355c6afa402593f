#include "faults/fault_rules.h"

namespace faults {

namespace {

const QString lineBreak = QStringLiteral("\r\n");

QString phonesSignature(const QString& nocPhones) {
    return nocPhones.toHtmlEscaped();
}

} // namespace

QStringList faultKinds() {
    return {QStringLiteral("SITE DOWN"), QStringLiteral("LINK FLAPPING"),
            QStringLiteral("BANDWIDTH ISSUE"), QStringLiteral("AP DOWN")};
}

QString tunnelIdOf(const QString& label) {
    return label.mid(12).trimmed();
}

bool siteIsUp(const QString& liveState) {
    return liveState.trimmed() == QLatin1String("UP");
}

QString openingEntry(const QString& time, const QString& user, const QString& kind) {
    return time + QStringLiteral(" FAULT OPEN BY: ") + user + lineBreak +
           QStringLiteral("FAULT: ") + kind;
}

QString withUpdateEntry(const QString& history, const QString& time, const QString& user,
                        const QString& text) {
    return history + lineBreak + time + QStringLiteral(" UPDATE BY ") + user + lineBreak +
           QStringLiteral("UPDATE: ") + text;
}

QString withClosingEntry(const QString& history, const QString& time, const QString& user,
                         const QString& resolution) {
    return history + lineBreak + time + QStringLiteral(" CLOSED BY ") + user + lineBreak +
           QStringLiteral("UPDATE: ") + resolution;
}

// Blanks anywhere in the number are ignored, as in "98 1234 5678"; the number
// ends at the first other character.
QString normalizedMobile(const QString& column) {
    QString digits;
    bool negative = false;
    bool signSeen = false;
    for (const QChar c : column) {
        if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n')
            continue;
        if (!signSeen && digits.isEmpty() && (c == u'-' || c == u'+')) {
            negative = c == u'-';
            signSeen = true;
            continue;
        }
        if (!c.isDigit() || c.unicode() > 127)
            break;
        digits += c;
    }
    while (digits.size() > 1 && digits.startsWith(u'0'))
        digits.remove(0, 1);
    if (digits.isEmpty() || digits == QLatin1String("0"))
        return QStringLiteral(" 0");
    return (negative ? QStringLiteral("-") : QStringLiteral(" ")) + digits;
}

bool isReachableMobile(const QString& mobile) {
    return !mobile.trimmed().isEmpty() && mobile != QLatin1String(" 0");
}

void FaultContacts::dropVuva() {
    sdeBbMobile.clear();
    sdeBbMail.clear();
    sdeTxMobile.clear();
    sdeTxMail.clear();
    gmMobile.clear();
    gmMail.clear();
}

QStringList mobilesInOrder(const FaultContacts& c) {
    return {c.feMobile, c.sdeBbMobile, c.sdeTxMobile, c.gmMobile, c.circleHeadMobile};
}

QList<Notice> phoneNotices(const FaultContacts& contacts, const QString& smsText,
                           const QString& whatsAppText) {
    QList<Notice> notices;
    for (const QString& mobile : mobilesInOrder(contacts)) {
        if (!isReachableMobile(mobile))
            continue;
        notices.append({Channel::Sms, mobile, smsText});
        notices.append({Channel::WhatsApp, QStringLiteral("91") + mobile, whatsAppText});
    }
    return notices;
}

QString updateMessage(const QString& ssa, const QString& site, const QString& updateText) {
    return QStringLiteral("Fault updated by zel NOC for ") + ssa + u' ' + site +
           QStringLiteral(" update ") + updateText;
}

QString newFaultSms(const QString& ssa, const QString& site, const QString& kind) {
    return QStringLiteral("New fault open by zel NOC for ") + ssa + u' ' + site +
           QStringLiteral(" fault is ") + kind;
}

QString newFaultWhatsApp(const QString& ssa, const QString& site, const QString& kind) {
    return QStringLiteral("New fault open by zel NOC for\n") + ssa + u'\n' + site +
           QStringLiteral("\nfault is ") + kind;
}

QString faultMailTo(const FaultContacts& c) {
    return c.sdeBbMail + u';' + c.sdeTxMail + u';' + c.circleHeadMail;
}

QString faultMailCc(const FaultContacts& c, const QString& fixedCc) {
    return c.gmMail + fixedCc;
}

QString newFaultSubject(const TicketMail& t) {
    return QStringLiteral("ZEL##") + t.circle + QStringLiteral("##") + t.ssa +
           QStringLiteral("##") + t.site + QStringLiteral("##") + t.ftNumber;
}

QString updateSubject(const TicketMail& t) {
    return newFaultSubject(t) + QStringLiteral("##UPDATE");
}

QString newFaultBody(const QString& ftNumber, const QString& kind, const QString& issueTime,
                     const QString& usersAffected, const QString& nocPhones) {
    return QStringLiteral("Dear Team,<BR><BR> New Fault open for Subjected Site Details are as "
                          "follows <BR>FAULT ID : ") +
           ftNumber.toHtmlEscaped() + QStringLiteral("<BR>FAULT : ") + kind.toHtmlEscaped() +
           QStringLiteral("<BR>FAULT OPEN TIME : ") + issueTime.toHtmlEscaped() +
           QStringLiteral("<BR>USER AFFECTED : ") + usersAffected.toHtmlEscaped() +
           QStringLiteral("<BR><BR>Thanks and Regard <BR>ZEL NOC <BR>PH: ") +
           phonesSignature(nocPhones);
}

QString updateBody(const QString& ftNumber, const QString& updateText, qint64 downTime,
                   const QString& nocPhones) {
    return QStringLiteral("Dear Team,<BR>Fault Updated for Subjected Site Details are as "
                          "follows<BR>FAULT ID : ") +
           ftNumber.toHtmlEscaped() + QStringLiteral("<BR>UPDATE : ") + updateText.toHtmlEscaped() +
           QStringLiteral("<BR>DOWN TIME : ") + QString::number(downTime) +
           QStringLiteral(" HOURS<BR><BR>Thanks and Regard<BR>ZEL NOC<BR>PH: ") +
           phonesSignature(nocPhones);
}

QString channelName(Channel channel) {
    switch (channel) {
    case Channel::Sms:
        return QStringLiteral("SMS");
    case Channel::WhatsApp:
        return QStringLiteral("WHATSAPP");
    case Channel::Mail:
        return QStringLiteral("MAIL");
    }
    return {};
}

QString unsentNoticesMessage(const QStringList& failures) {
    return QStringLiteral("NOTICES NOT SENT:\n") + failures.join(u'\n');
}

} // namespace faults
