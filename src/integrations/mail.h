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
    QString openCc, updateCc, nocPhones;
    QString caFile; // PEM file of extra trusted certificates; empty = the system's only
    static MailAccount fromConfig(const core::Config& config);
};

// One mail as composed: To and Cc are ";"-separated lists in which a place
// may be empty.
struct Mail {
    QString to, cc, subject, htmlBody;
};

// Every non-empty address of To, then of Cc, trimmed, each once.
QStringList mailRecipients(const Mail& mail);

// The whole message (RFC 5322, CR LF line ends): headers, the subject
// encoded where it is not plain ASCII, and the HTML body as UTF-8 in base64.
QByteArray mailMessage(const MailAccount& account, const Mail& mail, const QDateTime& date);

// Sends one mail over SMTP and waits at most waitLimitSeconds with the UI
// live. A mail without any recipient is an error and nothing is sent.
SendResult mailSend(const MailAccount& account, int waitLimitSeconds, const Mail& mail);

} // namespace integrations
