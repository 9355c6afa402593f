#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace sandbox {

// One thing the outside world received from the client: a message, a mail,
// a notice or a lookup.
struct Received {
    enum class Kind { Sms, WhatsApp, Mail, Notice, Lookup };
    Kind kind = Kind::Lookup;
    QDateTime at;
    QList<QPair<QString, QString>> fields; // label and value, shown as plain text
    QString mailHtml;                      // a mail's body, shown sandboxed
};

QString kindName(Received::Kind kind);

// Everything received since the sandbox started, newest first. The oldest
// entries go once it holds `capacity`, so a long training day cannot
// exhaust memory.
class Inbox {
public:
    explicit Inbox(int capacity = 1000)
        : m_capacity(capacity) {}
    void add(Received item);
    const QList<Received>& items() const { return m_items; }

private:
    int m_capacity;
    QList<Received> m_items;
};

// The sandbox's own page: what it serves, then every entry, newest first.
// Every value is escaped; a mail's HTML is shown only inside a sandboxed
// frame, so nothing a mail holds can run or restyle the page.
QByteArray inboxPage(const Inbox& inbox, const QStringList& services);

} // namespace sandbox
