#include "sandbox/inbox.h"

#include "sandbox/pages.h"

namespace sandbox {

QString kindName(Received::Kind kind) {
    switch (kind) {
    case Received::Kind::Sms:
        return QStringLiteral("SMS");
    case Received::Kind::WhatsApp:
        return QStringLiteral("WhatsApp");
    case Received::Kind::Mail:
        return QStringLiteral("Mail");
    case Received::Kind::Notice:
        return QStringLiteral("Notice");
    case Received::Kind::Lookup:
        return QStringLiteral("Lookup");
    }
    return {};
}

void Inbox::add(Received item) {
    m_items.prepend(std::move(item));
    while (m_items.size() > m_capacity)
        m_items.removeLast();
}

namespace {

QString entryHtml(const Received& item) {
    QString html = QStringLiteral("<div class=\"entry %1\"><h3>%2 <small>%3</small></h3><table>")
                       .arg(kindName(item.kind).toLower(), kindName(item.kind),
                            item.at.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    for (const auto& [label, value] : item.fields)
        html += QStringLiteral("<tr><th>%1</th><td>%2</td></tr>")
                    .arg(label.toHtmlEscaped(), value.toHtmlEscaped());
    html += QStringLiteral("</table>");
    if (item.kind == Received::Kind::Mail)
        html += QStringLiteral("<iframe sandbox=\"\" title=\"mail body\" srcdoc=\"%1\"></iframe>")
                    .arg(item.mailHtml.toHtmlEscaped());
    return html + QStringLiteral("</div>\n");
}

const QString kStyle = QStringLiteral(
    "<style>body{font-family:sans-serif;margin:1em}.entry{border:1px solid #bbb;margin:.6em 0;"
    "padding:.3em .8em}th{text-align:left;padding-right:1em;vertical-align:top}"
    "td{white-space:pre-wrap}iframe{width:100%;height:16em;border:1px solid #ddd}"
    ".sms,.whatsapp{background:#f3fbf3}.mail{background:#f3f6fb}</style>");

} // namespace

QByteArray inboxPage(const Inbox& inbox, const QStringList& services) {
    QString body = kStyle + QStringLiteral("<h1>ZEL CRM sandbox</h1><p>Every outside service of "
                                           "the demo, on this machine. Newest first; the page "
                                           "refreshes every 5 seconds.</p><ul>");
    for (const QString& s : services)
        body += QStringLiteral("<li>") + s.toHtmlEscaped() + QStringLiteral("</li>");
    body += QStringLiteral("</ul><h2>Received (%1)</h2>\n").arg(inbox.items().size());
    if (inbox.items().isEmpty())
        body += QStringLiteral("<p>Nothing yet.</p>");
    for (const Received& item : inbox.items())
        body += entryHtml(item);
    QByteArray page = pages::document(QStringLiteral("ZEL CRM sandbox"), body);
    return page.replace("<title>", "<meta http-equiv=\"refresh\" content=\"5\"><title>");
}

} // namespace sandbox
