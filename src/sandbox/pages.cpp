#include "sandbox/pages.h"

namespace sandbox::pages {

namespace {

const QLatin1Char lf('\n');

QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

// Pads the last line with dots until the text, as rendered, is `length`
// characters long; lines already longer stay as they are.
QString paddedTo(QStringList lines, qsizetype length) {
    const qsizetype missing = length - renderedLength(lines.join(lf));
    if (missing > 0)
        lines.last() += QString(missing, QLatin1Char('.'));
    return lines.join(lf);
}

// A waiting reader takes an answer of the empty page's length for the
// empty page, so an answer never has that length.
QString neverOfLength(QString text, qsizetype length) {
    if (renderedLength(text) == length)
        text += QLatin1Char('.');
    return text;
}

QString centred(const QString& title, int width, QChar fill) {
    const int left = int(width - title.size()) / 2;
    return (QString(qMax(0, left), fill) + title).leftJustified(width, fill);
}

// The directory's heading: 59 characters and its line break, 61 rendered.
const QString kLdapHeading =
    centred(QStringLiteral(" EASY LDAP : SUBSCRIBER DIRECTORY "), 59, QLatin1Char('='));
constexpr qsizetype kLdapEmptyLength = 227;
const QString kMtnlHeading = QStringLiteral("MTNL ELITE - SUBSCRIBER RECORD");
constexpr qsizetype kMtnlEmptyLength = 82;

QString pre(const QString& text) {
    return QStringLiteral("<pre>") + escaped(text) + QStringLiteral("</pre>");
}

// The address is the line's first part: its own commas would be taken for
// the separators of SSA and circle.
QString addressPart(QString address) {
    address.replace(QLatin1Char(','), QLatin1Char(' '));
    return address.simplified();
}

// The fields add no text to the page as rendered, as long as no blank
// stands between them.
QString searchForm(const QString& action, const QString& field) {
    return QStringLiteral("<form method=\"post\" action=\"%1\"><input name=\"%2\" autofocus>"
                          "<input type=\"submit\" value=\"SEARCH\"></form>")
        .arg(action, field);
}

} // namespace

qsizetype renderedLength(const QString& text) {
    return text.size() + text.count(lf);
}

QByteArray document(const QString& title, const QString& body) {
    return (QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>") + title +
            QStringLiteral("</title></head><body>") + body + QStringLiteral("</body></html>\n"))
        .toUtf8();
}

QByteArray ldapSearchPage() {
    const QString text =
        paddedTo({kLdapHeading, QStringLiteral("Search the subscriber directory by user name."),
                  QStringLiteral("The answer gives the user's telephone number, billing"),
                  QStringLiteral("account, state and installation address, SSA and circle.")},
                 kLdapEmptyLength);
    return document(QStringLiteral("EASY LDAP"),
                    pre(text) +
                        searchForm(QStringLiteral("/easyldapbeta"), QStringLiteral("UserName")));
}

QString ldapAnswerText(const QString& asked, const std::optional<Subscriber>& found) {
    if (!found)
        return neverOfLength(kLdapHeading + lf + lf +
                                 QStringLiteral("No entry for user name \"%1\".").arg(asked),
                             kLdapEmptyLength);
    const Subscriber& s = *found;
    const QStringList lines{kLdapHeading,
                            QStringLiteral("UserID: ") + s.id,
                            QStringLiteral("Telephone Number:") + s.phone,
                            QStringLiteral("BA No.: ") + s.account,
                            QStringLiteral("State:") + s.status,
                            QStringLiteral("Address: ") + addressPart(s.address) +
                                QLatin1Char(',') + s.ssa + QLatin1Char(',') + s.circle,
                            QStringLiteral("Name: ") + s.name};
    return neverOfLength(lines.join(lf), kLdapEmptyLength);
}

QByteArray ldapAnswerPage(const QString& asked, const std::optional<Subscriber>& found) {
    return document(QStringLiteral("EASY LDAP"), pre(ldapAnswerText(asked, found)));
}

QByteArray mtnlSearchPage() {
    const QString text = paddedTo(
        {kMtnlHeading, QStringLiteral("Enter the Delhi telephone number and press SEARCH")},
        kMtnlEmptyLength);
    return document(QStringLiteral("MTNL ELITE"),
                    pre(text) + searchForm(QStringLiteral("/elite/"), QStringLiteral("telno")));
}

QString mtnlAnswerText(const QString& telno, const std::optional<Subscriber>& found) {
    if (!found)
        return neverOfLength(kMtnlHeading + lf +
                                 QStringLiteral("No record for telephone number %1.").arg(telno),
                             kMtnlEmptyLength);
    const Subscriber& s = *found;
    return neverOfLength(
        QStringList{kMtnlHeading, QStringLiteral("Telephone: ") + telno,
                    QStringLiteral("Name: ") + s.name, QStringLiteral("Address: ") + s.address,
                    QStringLiteral("Broadband id: ") + s.id, QStringLiteral("Status: ") + s.status}
            .join(lf),
        kMtnlEmptyLength);
}

QByteArray mtnlAnswerPage(const QString& telno, const std::optional<Subscriber>& found) {
    return document(QStringLiteral("MTNL ELITE"), pre(mtnlAnswerText(telno, found)));
}

QByteArray policyPage(const QString& id, const QString& nasIp,
                      const std::optional<Subscriber>& found) {
    if (!found)
        return document(QStringLiteral("POLICY"),
                        QStringLiteral("<h3>POLICY</h3><p>No subscriber %1 on NAS %2.</p>")
                            .arg(escaped(id), escaped(nasIp)));
    const Subscriber& s = *found;
    const std::pair<QString, QString> rows[] = {
        {QStringLiteral("Subscriber"), s.id}, {QStringLiteral("NAS IP"), nasIp},
        {QStringLiteral("Policy"), s.policy}, {QStringLiteral("Service"), s.service},
        {QStringLiteral("State"), s.status},  {QStringLiteral("AP"), apName(found)}};
    QString table = QStringLiteral("<table border=\"1\" cellpadding=\"4\">");
    for (const auto& [label, value] : rows)
        table += QStringLiteral("<tr><th align=\"left\">%1</th><td>%2</td></tr>")
                     .arg(label, escaped(value));
    table += QStringLiteral("</table>");
    return document(QStringLiteral("POLICY"), QStringLiteral("<h3>POLICY</h3>") + table);
}

QString apName(const std::optional<Subscriber>& found) {
    if (!found || found->status.compare(QLatin1String("active"), Qt::CaseInsensitive) != 0)
        return {};
    return found->ap;
}

QByteArray apPage(const std::optional<Subscriber>& found) {
    return document(QStringLiteral("AP"), escaped(apName(found)));
}

QByteArray noticePage(const QString& mobile, const QString& complaint) {
    return document(QStringLiteral("NOTICE"),
                    QStringLiteral("<p>Complaint %1 closed: notice queued for %2.</p>")
                        .arg(escaped(complaint), escaped(mobile)));
}

QByteArray clickToCallPage(const QString& callTo, const QString& account) {
    return document(QStringLiteral("CLICK TO CALL"),
                    QStringLiteral("<h3>CLICK TO CALL</h3><p>Calling %1 from account %2 ...</p>"
                                   "<p>(training sandbox: no call is placed)</p>")
                        .arg(escaped(callTo), escaped(account)));
}

QByteArray oltLoginPage(const QString& host, bool refused) {
    const QString warning = refused ? QStringLiteral("<p><b>Login failed: wrong user name or "
                                                     "password.</b></p>")
                                    : QString();
    return document(
        QStringLiteral("OLT LOGIN"),
        QStringLiteral("<h3>OLT %1</h3>%2<form method=\"post\" action=\"/\">"
                       "User <input name=\"User\"> Password <input name=\"pass\" "
                       "type=\"password\"> <input type=\"submit\" value=\"Login\"></form>")
            .arg(escaped(host), warning));
}

QByteArray oltHomePage(const QString& host, const QString& user) {
    QString rows;
    for (int port = 1; port <= 4; ++port)
        rows += QStringLiteral("<tr><td>GPON 0/1/%1</td><td>up</td><td>%2</td><td>%3</td></tr>")
                    .arg(port)
                    .arg(32 - port * 3)
                    .arg(port == 4 ? 2 : 0);
    return document(
        QStringLiteral("OLT HOME"),
        QStringLiteral("<h3>OLT %1 - SYSTEM HOME</h3><p>Logged in as %2. Simulated OLT, "
                       "firmware V8.1 (training sandbox).</p><table border=\"1\" "
                       "cellpadding=\"4\"><tr><th>PON port</th><th>state</th><th>ONUs "
                       "online</th><th>ONUs offline</th></tr>%3</table>")
            .arg(escaped(host), escaped(user), rows));
}

QByteArray notFoundPage(const QString& path) {
    return document(QStringLiteral("404 Not Found"),
                    QStringLiteral("<h1>404 Not Found</h1><p>The sandbox has no page %1. "
                                   "See <a href=\"/\">the sandbox page</a> for what it serves.</p>")
                        .arg(escaped(path)));
}

QByteArray refusedPage(const QString& why) {
    return document(QStringLiteral("Refused"),
                    QStringLiteral("<h1>Refused</h1><p>%1</p>").arg(escaped(why)));
}

} // namespace sandbox::pages
