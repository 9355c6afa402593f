#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace oltd {

// A small page a person reads in the client's embedded browser: a title,
// what was asked, the outcome and a table or two. Every text put in is
// escaped, so a value from the query can never become markup.
class HtmlPage {
public:
    explicit HtmlPage(const QString& title);

    void paragraph(const QString& text, const QString& cssClass = {});
    void outcome(bool ok, const QString& code, const QString& message);
    // Two columns: name, value.
    void fields(const QList<QPair<QString, QString>>& rows);
    void table(const QStringList& header, const QList<QStringList>& rows);
    void transcript(const QStringList& lines);

    // "Asked: key = value, ..." in the keys' order.
    void asked(const QStringList& keys, const QStringList& values);

    // The finished page; the builder is spent afterwards.
    QByteArray html();

private:
    QByteArray m_page;
};

} // namespace oltd
