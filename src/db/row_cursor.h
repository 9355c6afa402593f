#pragma once

#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <memory>

namespace db {

// The text without the blanks (spaces) at either end.
QString trimBlanks(const QString& text);

// Moves the query to its next row. The end of the answer is false; a failure
// on the way (the server or the connection gives out part-way through a
// result set) throws db::Error, so a grid or a count never comes out short
// without a word.
bool fetchNext(QSqlQuery& query);

// The answer of one SELECT, read forward only. It stays readable until the
// next statement starts on its connection (see ScreenDb). A fresh cursor stands on the
// first row (or at its end when the answer is empty). Every field reads as
// text; NULL reads as empty text; a date-time reads "yyyy-MM-dd hh:mm:ss".
class RowCursor {
public:
    RowCursor() = default;
    explicit RowCursor(std::shared_ptr<QSqlQuery> query);

    bool atEnd() const { return !m_onRow; }
    void next();

    // Reading where there is no current row, or a column that the answer does
    // not have, throws db::Error.
    QString field(int index) const;
    QString field(const QString& name) const; // names matched without regard to case
    // Blanks (spaces) at either end removed; tabs and line ends are kept, as
    // they belong to multi-line texts such as histories.
    QString trimmed(int index) const { return trimBlanks(field(index)); }
    QString trimmed(const QString& name) const { return trimBlanks(field(name)); }

    // Whether the field holds no value at all (database NULL), for the few
    // rules that treat a missing value apart from an empty one.
    bool isNull(int index) const;
    bool isNull(const QString& name) const;

    int columnCount() const;
    QString columnName(int index) const;

private:
    QSqlQuery& current() const;
    int columnIndex(const QString& name) const;
    std::shared_ptr<QSqlQuery> m_query;
    QSqlRecord m_columns; // read once: every field lookup uses it
    bool m_onRow = false;
};

// One column of every remaining row, as read or trimmed: what a list box
// is filled with.
QStringList columnValues(RowCursor rows, const QString& name);
QStringList trimmedColumnValues(RowCursor rows, const QString& name);

// A database value as the screens see it.
QString fieldText(const QVariant& v);

} // namespace db
