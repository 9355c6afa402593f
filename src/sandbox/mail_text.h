#pragma once

#include <QByteArray>
#include <QString>

namespace sandbox {

// A received message (RFC 5322) read for display.
struct MailText {
    QString to, cc, subject;
    QString body; // transfer encoding undone, read as UTF-8
};
MailText readMail(const QByteArray& data);
// One header's value (folding undone, encoded words decoded), and the body.
QString mailHeader(const QByteArray& data, const QByteArray& name);
QString mailBody(const QByteArray& data);

// Undoes RFC 2047 encoded words (B or Q, UTF-8) in an unfolded header value.
QString decodedHeaderValue(const QByteArray& value);

} // namespace sandbox
