#pragma once

#include "integrations/send_result.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace core {
class Config;
}

namespace integrations {

// The SMTP account fault mails leave from and the fixed recipients and
// signature they carry ([mail] smtp_url, starttls, ca_file, from, username,
// password, open_cc, update_cc, noc_phones).
struct MailAccount {
    QString smtpUrl;       // smtp://host[:port] or smtps://host[:port]
    bool starttls = false; // smtp:// only: refuse to send unless the server takes STARTTLS
    QString from, username, password;
    // The fixed Cc lists follow the GM's address directly, so each begins
    // with ";"; a list written without it gets it, rather than gluing its
    // first address onto the GM's.
    QString openCc, updateCc, nocPhones;
    QString caFile; // PEM file of extra trusted certificates; empty = the system's only
    static MailAccount fromConfig(const core::Config& config);
};

// One mail as composed: To and Cc are ";"-separated lists in which a place
// may be empty, and a place may itself hold several addresses separated by
// "," or ";" (a contact column with two mailboxes).
struct Mail {
    QString to, cc, subject, htmlBody;
};

// Every non-empty address of To, then of Cc, trimmed, each once.
QStringList mailRecipients(const Mail& mail);

// A recipient the mail went without, and why.
struct RefusedRecipient {
    QString address;
    QString reason;
};

// A mail that went may have gone without some of its recipients: an address
// that is no mail address, or a mailbox the server refused. When none is
// left, nothing is sent and the result is an error.
struct MailResult : SendResult {
    QList<RefusedRecipient> refused;
};

// The whole message (RFC 5322, CR LF line ends): headers, the subject
// encoded where it is not plain ASCII, and the HTML body as UTF-8 in base64.
// To and Cc show every mail address of the composition, refused or not;
// a text that is no mail address never reaches a header.
QByteArray mailMessage(const MailAccount& account, const Mail& mail, const QDateTime& date);

// Sends one mail over SMTP and waits at most waitLimitSeconds with the UI
// live. A mail without any usable recipient is an error and nothing is sent.
MailResult mailSend(const MailAccount& account, int waitLimitSeconds, const Mail& mail);

} // namespace integrations
