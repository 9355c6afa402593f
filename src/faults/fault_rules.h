#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The fault desk's rules that need no screen and no database: what the
// equipment label holds, the colour of a site's state, the ticket history
// entries, the contacts' numbers and the texts of every notice.
namespace faults {

// The fault kinds offered for a new ticket, in the order shown.
QStringList faultKinds();

// The label carries a 12-character caption before the id: "TUNNEL ID : 1234"
// and "OUTER VLAN : 1234" both give "1234", "TUNNEL ID: 0" gives nothing.
QString tunnelIdOf(const QString& label);

// A site counts as up only on the exact word "UP" once blanks are gone.
bool siteIsUp(const QString& liveState);

// "«time» FAULT OPEN BY: «user»\r\nFAULT: «kind»"
QString openingEntry(const QString& time, const QString& user, const QString& kind);
// "«history»\r\n«time» UPDATE BY «user»\r\nUPDATE: «text»"
QString withUpdateEntry(const QString& history, const QString& time, const QString& user,
                        const QString& text);
// "«history»\r\n«time» CLOSED BY «user»\r\nUPDATE: «resolution»"
QString withClosingEntry(const QString& history, const QString& time, const QString& user,
                         const QString& resolution);

// A mobile column as the notices take it: the leading number of the text,
// blanks ignored, written with its sign position: "98 1234" -> " 981234",
// "" -> " 0".
QString normalizedMobile(const QString& column);
// " 0" is the mobile of a contact nobody recorded: it gets no message.
bool isReachableMobile(const QString& mobile);

// The people a ticket's notices go to, read afresh for every action.
struct FaultContacts {
    QString feMobile;
    QString sdeBbMobile;
    QString sdeBbMail;
    QString sdeTxMobile;
    QString sdeTxMail;
    QString gmMobile;
    QString gmMail;
    QString circleHeadMobile;
    QString circleHeadMail;

    // The operator chose not to remind VUVA: its six contacts are emptied.
    void dropVuva();
};

// Mobiles in the order they are messaged: FE, SDE broadband, SDE
// transmission, GM, circle head.
QStringList mobilesInOrder(const FaultContacts& contacts);

enum class Channel { Sms, WhatsApp, Mail };

// One message to one recipient.
struct Notice {
    Channel channel;
    QString recipient; // the mobile, "91" and the mobile, or the mail's To
    QString text;
    bool operator==(const Notice&) const = default;
};

// SMS then WhatsApp to every reachable mobile, in the contacts' order.
QList<Notice> phoneNotices(const FaultContacts& contacts, const QString& smsText,
                           const QString& whatsAppText);

QString updateMessage(const QString& ssa, const QString& site, const QString& updateText);
QString newFaultSms(const QString& ssa, const QString& site, const QString& kind);
// The same words over lines of their own.
QString newFaultWhatsApp(const QString& ssa, const QString& site, const QString& kind);

// The fault mail's addresses: To is SDE broadband, SDE transmission and
// circle head joined by ";" (empty places kept), Cc the GM mail followed by
// the fixed list, which begins with ";".
QString faultMailTo(const FaultContacts& contacts);
QString faultMailCc(const FaultContacts& contacts, const QString& fixedCc);

struct TicketMail {
    QString circle;
    QString ssa;
    QString site;
    QString ftNumber;
};

QString newFaultSubject(const TicketMail& ticket);
QString updateSubject(const TicketMail& ticket);
// The bodies carry the values HTML-escaped: an operator's "<" is text.
QString newFaultBody(const QString& ftNumber, const QString& kind, const QString& issueTime,
                     const QString& usersAffected, const QString& nocPhones);
QString updateBody(const QString& ftNumber, const QString& updateText, qint64 downTime,
                   const QString& nocPhones);

// The one message after an action that lists what could not be sent.
QString unsentNoticesMessage(const QStringList& failures);
QString channelName(Channel channel);

} // namespace faults
