#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

namespace db {

// One bound parameter of a statement. Statements never carry values in their
// text; each `?` takes one of these, in order.
class Value {
public:
    enum class Kind { Text, Number, DateTime, RowNumber };

    // Text as typed, quotes, backslashes and unicode included.
    static Value text(const QString& v) { return Value(Kind::Text, v); }
    // A value the statement writes bare: digits only. Anything else throws
    // db::Error "«value» is not a number" before anything reaches the server.
    static Value number(const QString& v);
    // A date-time given as text, converted the way the server converts text;
    // a text that is no date throws db::Error with the server's message.
    static Value dateTime(const QString& v);
    static Value dateTime(const QDateTime& v);
    // A typed number compared with a row's integer number (an FT or a
    // complaint number): bound as that integer, and as NULL, which equals
    // nothing, for a text that is no row number (see isRowNumber).
    static Value rowNumber(const QString& v) { return Value(Kind::RowNumber, v); }

    Kind kind() const { return m_kind; }
    QString text() const { return m_text; }
    // What is bound for a backend that stores date-times as ISO text
    // (SQLite) or as native date-time values (SQL Server).
    QVariant bound(bool nativeDateTime) const;

private:
    Value(Kind kind, QString text, QDateTime when = {})
        : m_kind(kind)
        , m_text(std::move(text))
        , m_when(std::move(when)) {}
    Kind m_kind;
    QString m_text;
    QDateTime m_when;
};

using Params = QList<Value>;

// The message the server gives for a text that is no date.
QString dateConversionMessage();

// True for a text that can name a row by its integer number (an FT number, a
// complaint number): digits alone, blanks around them allowed, within the
// integer range. Any other text names no row; asked with it, one server finds
// nothing while another refuses the comparison, so it is never sent.
bool isRowNumber(const QString& text);

} // namespace db

// Shorthands: db::text(x), db::number(x), db::dateTime(x).
namespace db {
inline Value text(const QString& v) {
    return Value::text(v);
}
inline Value number(const QString& v) {
    return Value::number(v);
}
inline Value rowNumber(const QString& v) {
    return Value::rowNumber(v);
}
inline Value dateTime(const QString& v) {
    return Value::dateTime(v);
}
} // namespace db
