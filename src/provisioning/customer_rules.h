#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>
#include <optional>

// The rules of the customer record screen that need no widget and no
// database: how texts are composed from lookups, and how outside answers are
// read.
namespace provisioning {

// Leading and trailing blanks removed; tabs and line breaks stay. This is the
// trimming the subscriber directory and the stored ids are read with.
QString trimBlanks(const QString& text);

// A field engineer list entry: "«name» «mobile»".
QString engineerEntry(const QString& name, const QString& mobile);
// The engineer's mobile is the last ten characters of the entry. A mobile
// shorter than that brings part of the name with it, as it always has.
QString engineerMobile(const QString& entry);

// The voice account texts composed for an NGN provider.
struct VoiceAccounts {
    QString voiceAccount;  // "«user»/«password»" for the SIP account
    QString secondAccount; // "ZEL-VUVA-«phone»/«phone»"
};
// The provider name is compared exactly, case included.
VoiceAccounts voiceAccounts(const QString& provider, const QString& customerPhone);
// MTNL subscribers use the MTNL SIP domain and the last four characters of
// the site as their voice VLAN.
QString mtnlVoiceDomain(const QString& sipDomain, const QString& site);

// "FTTH" when the part of the user name after its first "@" (all of it when
// there is none) is longer than seven characters, else "AF".
QString serviceForUserName(const QString& userName);

// What the subscriber directory told about a user name. A value is absent
// when its line did not have the expected layout; the screen then leaves the
// field it would fill as it was.
struct LdapAnswer {
    bool notFound = false;
    std::optional<QString> userName;      // line 1
    std::optional<QString> customerPhone; // line 2, dashes removed
    std::optional<QString> lookupNumber;  // line 3, as a plain decimal number
    std::optional<QString> lookupStatus;  // line 4
    std::optional<QString> ssa;           // line 5, second comma-separated part
    std::optional<QString> circle;        // line 5, the rest, line end dropped
};
// Reads the directory's answer page (body text with CR LF line ends). The
// first 61 characters are the page's heading; a blank line after it means the
// directory does not know the user name.
LdapAnswer parseLdapAnswer(const QString& bodyText);

// The number a text begins with, as plain decimal text: an optional sign,
// digits and one decimal point, blanks between them ignored; "0" when the
// text does not begin with a number. "0042.50 kb" gives "42.5".
QString leadingNumber(const QString& text);

// The operator may type only the last four hex digits of a MAC address: a
// text without ":" is sent as its first two and last two characters joined by
// ":"; a text with ":" as typed.
QString macToSend(const QString& typed);
// The full MAC in the OLT service's answer: characters 11 to 27 of a body
// text that is exactly 84 characters long; nothing for any other length.
std::optional<QString> importedMac(const QString& bodyText);

// "host" becomes "host:«port»"; a server already written "host:port" stays.
QString withDefaultPort(const QString& server, int port);

using QueryKeys = QList<QPair<QString, QString>>;
// "http://«server»«path»?«key»=«value»&...", keys in the order given and every
// value percent-encoded, so a "&", "+" or blank in it cannot change the query.
QUrl pageUrl(const QString& server, const QString& path, const QueryKeys& keys);

// The click-to-call page that rings "0«customer phone»" from the desk's
// account through the SIP server.
struct ClickToCall {
    QString pageServer; // OLT management web server
    QString sipServer;  // port 5060 unless given
    QString user;
    QString password;
};
QUrl clickToCallPage(const ClickToCall& call, const QString& customerPhone);

} // namespace provisioning
