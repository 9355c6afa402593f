#include "provisioning/customer_rules.h"

#include <QRegularExpression>
#include <QStringList>

namespace provisioning {

namespace {

const QChar blank = QLatin1Char(' ');

// Lines as the directory's answer is cut: each runs up to and including its
// CR, so from the second line on a line starts with the LF of the break
// before it. A last line without CR runs to the end of the text.
QStringList answerLines(const QString& text, int wanted) {
    QStringList lines;
    qsizetype from = 0;
    while (from < text.size() && lines.size() < wanted) {
        const qsizetype cr = text.indexOf(QLatin1Char('\r'), from);
        const qsizetype end = cr < 0 ? text.size() : cr + 1;
        lines << text.mid(from, end - from);
        from = end;
    }
    while (lines.size() < wanted)
        lines << QString();
    return lines;
}

// Each line carries its value between a fixed-width heading and the line
// end; a line too short to hold both has no value.
std::optional<QString> userNameLine(const QString& line) {
    if (line.size() < 9)
        return std::nullopt;
    return trimBlanks(line.mid(8).chopped(1));
}

std::optional<QString> phoneLine(const QString& line) {
    if (line.size() < 19)
        return std::nullopt;
    return line.mid(18).chopped(1).remove(QLatin1Char('-'));
}

std::optional<QString> numberLine(const QString& line) {
    if (line.size() < 8)
        return std::nullopt;
    const QString value = trimBlanks(line.mid(8));
    if (value.isEmpty())
        return std::nullopt;
    return leadingNumber(value.chopped(1));
}

std::optional<QString> statusLine(const QString& line) {
    if (line.size() < 8)
        return std::nullopt;
    return line.mid(7).chopped(1);
}

// The address line ends in ",«SSA»,«circle»": the second part is the SSA,
// everything after it (less the line end) the circle.
bool readAddressLine(const QString& line, LdapAnswer& answer) {
    const qsizetype first = line.indexOf(QLatin1Char(','));
    if (first < 0)
        return false;
    const QString afterFirst = line.mid(first + 1);
    const qsizetype second = afterFirst.indexOf(QLatin1Char(','));
    if (second < 0 || second + 1 >= afterFirst.size())
        return false;
    answer.ssa = afterFirst.left(second);
    answer.circle = afterFirst.mid(second + 1).chopped(1);
    return true;
}

} // namespace

QString trimBlanks(const QString& text) {
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == blank)
        ++start;
    while (end > start && text.at(end - 1) == blank)
        --end;
    return text.mid(start, end - start);
}

QString engineerEntry(const QString& name, const QString& mobile) {
    return name + blank + mobile;
}

QString engineerMobile(const QString& entry) {
    return entry.right(10);
}

VoiceAccounts voiceAccounts(const QString& provider, const QString& customerPhone) {
    const QString& phone = customerPhone;
    QString voice;
    if (provider == QLatin1String("NEW"))
        voice = QStringLiteral("91") + phone + QStringLiteral("/0000");
    else if (provider == QLatin1String("ZTE"))
        voice = QStringLiteral("+91") + phone + QStringLiteral("/123");
    else if (provider == QLatin1String("UTSTER"))
        voice = QStringLiteral("+91") + phone + QStringLiteral("/1234");
    else
        voice = QStringLiteral("91") + phone + QStringLiteral("/91") + phone;
    return {voice, QStringLiteral("ZEL-VUVA-") + phone + QLatin1Char('/') + phone};
}

QString mtnlVoiceDomain(const QString& sipDomain, const QString& site) {
    return sipDomain + QLatin1Char('/') + site.right(4);
}

QString serviceForUserName(const QString& userName) {
    const qsizetype at = userName.indexOf(QLatin1Char('@'));
    const QString domain = at < 0 ? userName : userName.mid(at + 1);
    return domain.size() > 7 ? QStringLiteral("FTTH") : QStringLiteral("AF");
}

LdapAnswer parseLdapAnswer(const QString& bodyText) {
    LdapAnswer answer;
    const QString rest = bodyText.mid(61);
    if (rest.startsWith(QLatin1String("\r\n"))) {
        answer.notFound = true;
        return answer;
    }
    const QStringList lines = answerLines(rest, 5);
    answer.userName = userNameLine(lines.at(0));
    answer.customerPhone = phoneLine(lines.at(1));
    answer.lookupNumber = numberLine(lines.at(2));
    answer.lookupStatus = statusLine(lines.at(3));
    readAddressLine(lines.at(4), answer);
    return answer;
}

QString leadingNumber(const QString& text) {
    QString whole;
    QString fraction;
    bool negative = false;
    bool signAllowed = true;
    bool inFraction = false;
    for (const QChar c : text) {
        if (c == blank || c == QLatin1Char('\t') || c == QLatin1Char('\n'))
            continue;
        if (signAllowed && (c == QLatin1Char('-') || c == QLatin1Char('+'))) {
            negative = c == QLatin1Char('-');
        } else if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            (inFraction ? fraction : whole) += c;
        } else if (c == QLatin1Char('.') && !inFraction) {
            inFraction = true;
        } else {
            break;
        }
        signAllowed = false;
    }
    // One cut each, not a character at a time: a long run of zeros in an
    // answer must not take quadratic time.
    qsizetype zeros = 0;
    while (zeros + 1 < whole.size() && whole.at(zeros) == QLatin1Char('0'))
        ++zeros;
    whole.remove(0, zeros);
    qsizetype kept = fraction.size();
    while (kept > 0 && fraction.at(kept - 1) == QLatin1Char('0'))
        --kept;
    fraction.truncate(kept);
    if (whole.isEmpty())
        whole = QStringLiteral("0");
    QString number = fraction.isEmpty() ? whole : whole + QLatin1Char('.') + fraction;
    if (negative && number != QLatin1String("0"))
        number.prepend(QLatin1Char('-'));
    return number;
}

QString macToSend(const QString& typed) {
    if (typed.contains(QLatin1Char(':')))
        return typed;
    return typed.left(2) + QLatin1Char(':') + typed.right(2);
}

std::optional<QString> importedMac(const QString& bodyText) {
    if (bodyText.size() != 84)
        return std::nullopt;
    return trimBlanks(bodyText.mid(10, 17));
}

QString withDefaultPort(const QString& server, int port) {
    static const QRegularExpression hasPort(QStringLiteral(":[0-9]+$"));
    if (hasPort.match(server).hasMatch())
        return server;
    return server + QLatin1Char(':') + QString::number(port);
}

QUrl pageUrl(const QString& server, const QString& path, const QueryKeys& keys) {
    QStringList pairs;
    for (const auto& [key, value] : keys)
        pairs << key + QLatin1Char('=') + QString::fromLatin1(QUrl::toPercentEncoding(value));
    QString text = QStringLiteral("http://") + server + path;
    if (!pairs.isEmpty())
        text += QLatin1Char('?') + pairs.join(QLatin1Char('&'));
    return QUrl(text, QUrl::StrictMode);
}

QUrl clickToCallPage(const ClickToCall& call, const QString& customerPhone) {
    return pageUrl(call.pageServer, QStringLiteral("/webphone/click2call.html"),
                   {{QStringLiteral("wp_serveraddress"), withDefaultPort(call.sipServer, 5060)},
                    {QStringLiteral("wp_username"), call.user},
                    {QStringLiteral("wp_password"), call.password},
                    {QStringLiteral("wp_callto"), QLatin1Char('0') + customerPhone},
                    {QStringLiteral("wp_autoaction"), QStringLiteral("1")}});
}

} // namespace provisioning
