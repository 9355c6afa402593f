#pragma once

#include "sandbox/directory.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// The pages the stand-ins answer with. The directory pages have the fixed
// text layout the customer record reads back, so their text lengths and
// line headings are part of what they promise.
namespace sandbox::pages {

// Length of a text as the browser hands it over: every line break as CR LF.
qsizetype renderedLength(const QString& text);

// The LDAP directory's empty search page: its text is exactly 227
// characters as rendered, the form's field is "UserName".
QByteArray ldapSearchPage();
// The text of an answer: a 61-character heading, then either an empty line
// (user not found) or the lines user, telephone, account, state, address.
QString ldapAnswerText(const QString& asked, const std::optional<Subscriber>& found);
QByteArray ldapAnswerPage(const QString& asked, const std::optional<Subscriber>& found);

// The MTNL page: the empty form's text is exactly 82 characters, the
// field is "telno"; the answer is the record the operator reads.
QByteArray mtnlSearchPage();
QString mtnlAnswerText(const QString& telno, const std::optional<Subscriber>& found);
QByteArray mtnlAnswerPage(const QString& telno, const std::optional<Subscriber>& found);

// The policy page: shown to the operator, not read back.
QByteArray policyPage(const QString& id, const QString& nasIp,
                      const std::optional<Subscriber>& found);
// The AP page: its whole text is the subscriber's AP name, empty when the
// subscriber is not active (offline) or unknown.
QString apName(const std::optional<Subscriber>& found);
QByteArray apPage(const std::optional<Subscriber>& found);

QByteArray noticePage(const QString& mobile, const QString& complaint);
QByteArray clickToCallPage(const QString& callTo, const QString& account);

// The OLT's own web login page (fields "User" and "pass") and the home page
// behind it.
QByteArray oltLoginPage(const QString& host, bool refused);
QByteArray oltHomePage(const QString& host, const QString& user);

QByteArray notFoundPage(const QString& path);
QByteArray refusedPage(const QString& why);

// A whole HTML document; title and body are given as HTML.
QByteArray document(const QString& title, const QString& body);

} // namespace sandbox::pages
