#include "oltd/html.h"

namespace oltd {

namespace {

// Escapes straight into the page's UTF-8 bytes; the status page is asked
// for many times a second, so the text is encoded in place, with no
// temporary strings on the way.
void appendEscaped(QByteArray& out, const QString& text) {
    const qsizetype start = out.size();
    out.resize(start + text.size() * 6); // "&quot;" is the longest a character becomes
    char* w = out.data() + start;
    const auto* p = reinterpret_cast<const char16_t*>(text.constData());
    const char16_t* end = p + text.size();
    const auto put = [&w](const char* s) {
        while (*s)
            *w++ = *s++;
    };
    while (p < end) {
        char32_t c = *p++;
        if (QChar::isHighSurrogate(c) && p < end && QChar::isLowSurrogate(*p))
            c = QChar::surrogateToUcs4(char16_t(c), *p++);
        if (c == '<')
            put("&lt;");
        else if (c == '>')
            put("&gt;");
        else if (c == '&')
            put("&amp;");
        else if (c == '"')
            put("&quot;");
        else if (c < 0x80)
            *w++ = char(c);
        else if (c < 0x800) {
            *w++ = char(0xC0 | (c >> 6));
            *w++ = char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            *w++ = char(0xE0 | (c >> 12));
            *w++ = char(0x80 | ((c >> 6) & 0x3F));
            *w++ = char(0x80 | (c & 0x3F));
        } else {
            *w++ = char(0xF0 | (c >> 18));
            *w++ = char(0x80 | ((c >> 12) & 0x3F));
            *w++ = char(0x80 | ((c >> 6) & 0x3F));
            *w++ = char(0x80 | (c & 0x3F));
        }
    }
    out.resize(w - out.constData());
}

const char* const kHead =
    "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><style>body{font-family:sans-serif;"
    "margin:1em}h1{font-size:1.3em}table{border-collapse:collapse}td,th{border:1px solid #999;"
    "padding:2px 8px;text-align:left}.ok{color:#060}.fail{color:#a00}.asked{color:#444}"
    "pre{background:#eee;padding:4px}</style><title>";

} // namespace

HtmlPage::HtmlPage(const QString& title) {
    m_page.reserve(2048);
    m_page += kHead;
    appendEscaped(m_page, title);
    m_page += ("</title></head>\n<body>\n<h1>");
    appendEscaped(m_page, title);
    m_page += ("</h1>\n");
}

void HtmlPage::asked(const QStringList& keys, const QStringList& values) {
    m_page += "<p class=\"asked\">Asked: ";
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (i > 0)
            m_page += ", ";
        appendEscaped(m_page, keys.at(i));
        m_page += " = ";
        appendEscaped(m_page, values.value(i));
    }
    m_page += "</p>\n";
}

void HtmlPage::paragraph(const QString& text, const QString& cssClass) {
    if (cssClass.isEmpty()) {
        m_page += ("<p>");
    } else {
        m_page += ("<p class=\"");
        m_page += cssClass.toLatin1();
        m_page += ("\">");
    }
    appendEscaped(m_page, text);
    m_page += ("</p>\n");
}

void HtmlPage::outcome(bool ok, const QString& code, const QString& message) {
    m_page += ok ? "<p class=\"ok\"><b>" : "<p class=\"fail\"><b>";
    appendEscaped(m_page, code);
    m_page += ("</b>: ");
    appendEscaped(m_page, message);
    m_page += ("</p>\n");
}

void HtmlPage::fields(const QList<QPair<QString, QString>>& rows) {
    m_page += ("<table>\n");
    for (const auto& r : rows) {
        m_page += ("<tr><th>");
        appendEscaped(m_page, r.first);
        m_page += ("</th><td>");
        appendEscaped(m_page, r.second);
        m_page += ("</td></tr>\n");
    }
    m_page += ("</table>\n");
}

void HtmlPage::table(const QStringList& header, const QList<QStringList>& rows) {
    m_page += ("<table>\n<tr>");
    for (const QString& h : header) {
        m_page += ("<th>");
        appendEscaped(m_page, h);
        m_page += ("</th>");
    }
    m_page += ("</tr>\n");
    for (const QStringList& row : rows) {
        m_page += ("<tr>");
        for (const QString& cell : row) {
            m_page += ("<td>");
            appendEscaped(m_page, cell);
            m_page += ("</td>");
        }
        m_page += ("</tr>\n");
    }
    m_page += ("</table>\n");
}

void HtmlPage::transcript(const QStringList& lines) {
    if (lines.isEmpty())
        return;
    m_page += ("<details><summary>OLT transcript</summary><pre>");
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            m_page += '\n';
        appendEscaped(m_page, lines.at(i));
    }
    m_page += ("</pre></details>\n");
}

QByteArray HtmlPage::html() {
    m_page += "</body></html>\n";
    return std::move(m_page);
}

} // namespace oltd
