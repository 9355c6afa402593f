#include "oltd/html.h"

namespace oltd {

namespace {

QString esc(const QString& text) {
    return text.toHtmlEscaped();
}

const char* const kStyle =
    "body{font-family:sans-serif;margin:1em}h1{font-size:1.3em}"
    "table{border-collapse:collapse}td,th{border:1px solid #999;padding:2px 8px;"
    "text-align:left}.ok{color:#060}.fail{color:#a00}.asked{color:#444}"
    "pre{background:#eee;padding:4px}";

} // namespace

HtmlPage::HtmlPage(const QString& title)
    : m_title(title) {
    m_body += QStringLiteral("<h1>%1</h1>\n").arg(esc(title));
}

void HtmlPage::paragraph(const QString& text, const QString& cssClass) {
    m_body += cssClass.isEmpty()
                  ? QStringLiteral("<p>%1</p>\n").arg(esc(text))
                  : QStringLiteral("<p class=\"%1\">%2</p>\n").arg(cssClass, esc(text));
}

void HtmlPage::outcome(bool ok, const QString& code, const QString& message) {
    m_body += QStringLiteral("<p class=\"%1\"><b>%2</b>: %3</p>\n")
                  .arg(ok ? QStringLiteral("ok") : QStringLiteral("fail"), esc(code), esc(message));
}

void HtmlPage::fields(const QList<QPair<QString, QString>>& rows) {
    m_body += QStringLiteral("<table>\n");
    for (const auto& r : rows)
        m_body +=
            QStringLiteral("<tr><th>%1</th><td>%2</td></tr>\n").arg(esc(r.first), esc(r.second));
    m_body += QStringLiteral("</table>\n");
}

void HtmlPage::table(const QStringList& header, const QList<QStringList>& rows) {
    m_body += QStringLiteral("<table>\n<tr>");
    for (const QString& h : header)
        m_body += QStringLiteral("<th>%1</th>").arg(esc(h));
    m_body += QStringLiteral("</tr>\n");
    for (const QStringList& row : rows) {
        m_body += QStringLiteral("<tr>");
        for (const QString& cell : row)
            m_body += QStringLiteral("<td>%1</td>").arg(esc(cell));
        m_body += QStringLiteral("</tr>\n");
    }
    m_body += QStringLiteral("</table>\n");
}

void HtmlPage::transcript(const QStringList& lines) {
    if (lines.isEmpty())
        return;
    m_body += QStringLiteral("<details><summary>OLT transcript</summary><pre>%1</pre></details>\n")
                  .arg(esc(lines.join(QLatin1Char('\n'))));
}

QByteArray HtmlPage::html() const {
    return QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title>"
                          "<style>%2</style></head>\n<body>\n%3</body></html>\n")
        .arg(esc(m_title), QString::fromLatin1(kStyle), m_body)
        .toUtf8();
}

} // namespace oltd
