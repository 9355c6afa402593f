#include "sandbox/mail_text.h"

#include <QList>
#include <QRegularExpression>

namespace sandbox {

namespace {

QByteArray headerBlock(const QByteArray& data) {
    const qsizetype end = data.indexOf("\r\n\r\n");
    return end < 0 ? data : data.left(end);
}

QByteArray bodyBlock(const QByteArray& data) {
    const qsizetype end = data.indexOf("\r\n\r\n");
    return end < 0 ? QByteArray() : data.mid(end + 4);
}

QList<QByteArray> unfoldedHeaders(const QByteArray& block) {
    QList<QByteArray> lines;
    for (const QByteArray& line : block.split('\n')) {
        const QByteArray l = line.endsWith('\r') ? line.chopped(1) : line;
        if ((l.startsWith(' ') || l.startsWith('\t')) && !lines.isEmpty())
            lines.last() += l;
        else
            lines.append(l);
    }
    return lines;
}

QByteArray rawHeader(const QByteArray& data, const QByteArray& name) {
    for (const QByteArray& line : unfoldedHeaders(headerBlock(data))) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

QByteArray quotedPrintable(const QByteArray& text, bool underscoreIsBlank) {
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c == '=' && text.mid(i + 1, 2) == "\r\n") {
            i += 2; // soft line break
        } else if (c == '=' && i + 2 < text.size()) {
            out += QByteArray::fromHex(text.mid(i + 1, 2));
            i += 2;
        } else {
            out += (underscoreIsBlank && c == '_') ? ' ' : c;
        }
    }
    return out;
}

} // namespace

QString decodedHeaderValue(const QByteArray& value) {
    static const QRegularExpression word(QStringLiteral(R"(=\?([^?]+)\?([BbQq])\?([^?]*)\?=)"));
    const QString text = QString::fromUtf8(value);
    QByteArray utf8;
    qsizetype at = 0;
    bool afterWord = false;
    for (auto it = word.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        const QString between = text.mid(at, m.capturedStart() - at);
        // Blanks between two encoded words belong to the folding, not the text.
        if (!(afterWord && between.trimmed().isEmpty()))
            utf8 += between.toUtf8();
        const QByteArray payload = m.captured(3).toLatin1();
        utf8 += m.captured(2).compare(QStringLiteral("B"), Qt::CaseInsensitive) == 0
                    ? QByteArray::fromBase64(payload)
                    : quotedPrintable(payload, true);
        at = m.capturedEnd();
        afterWord = true;
    }
    utf8 += text.mid(at).toUtf8();
    return QString::fromUtf8(utf8);
}

QString mailHeader(const QByteArray& data, const QByteArray& name) {
    return decodedHeaderValue(rawHeader(data, name));
}

QString mailBody(const QByteArray& data) {
    const QByteArray encoding = rawHeader(data, "Content-Transfer-Encoding").toLower();
    const QByteArray raw = bodyBlock(data);
    QByteArray body = raw;
    if (encoding == "base64")
        body = QByteArray::fromBase64(QByteArray(raw).replace("\r\n", ""));
    else if (encoding == "quoted-printable")
        body = quotedPrintable(raw, false);
    return QString::fromUtf8(body);
}

MailText readMail(const QByteArray& data) {
    return {mailHeader(data, "To"), mailHeader(data, "Cc"), mailHeader(data, "Subject"),
            mailBody(data)};
}

} // namespace sandbox
