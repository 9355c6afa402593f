#include "db/row_cursor.h"

#include <QSqlError>

#include "core/text_formats.h"
#include "db/error.h"

#include <QDateTime>
#include <QSqlRecord>

namespace db {

namespace {

// The messages the screens have always shown for these two mistakes.
QString noCurrentRow() {
    return QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                          "Requested operation requires a current record.");
}
QString noSuchColumn() {
    return QStringLiteral("Item cannot be found in the collection corresponding to the "
                          "requested name or ordinal.");
}

QString finishedCursor() {
    return QStringLiteral("The result set was closed because another statement ran on its "
                          "connection; read what is needed before the next statement.");
}

} // namespace

QString trimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

QString fieldText(const QVariant& v) {
    if (v.isNull())
        return QString(QLatin1String(""));
    switch (v.typeId()) {
    case QMetaType::QDateTime:
        return core::formats::isoDateTime(v.toDateTime());
    case QMetaType::QDate:
        return core::formats::isoDateTime(v.toDate().startOfDay());
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(v.toDouble(), 'g', 15);
    default:
        return v.toString();
    }
}

bool fetchNext(QSqlQuery& query) {
    if (query.next())
        return true;
    const QSqlError error = query.lastError();
    if (error.isValid()) {
        const QString server = error.databaseText().trimmed();
        throw Error(server.isEmpty() ? error.text().trimmed() : server);
    }
    return false;
}

RowCursor::RowCursor(std::shared_ptr<QSqlQuery> query)
    : m_query(std::move(query))
    , m_columns(m_query ? m_query->record() : QSqlRecord()) {
    m_onRow = m_query && fetchNext(*m_query);
}

void RowCursor::next() {
    if (m_onRow)
        m_onRow = fetchNext(current());
}

QSqlQuery& RowCursor::current() const {
    if (!m_onRow)
        throw Error(noCurrentRow());
    if (!m_query->isActive())
        throw Error(finishedCursor());
    return *m_query;
}

bool RowCursor::isNull(int index) const {
    const QSqlQuery& q = current();
    if (index < 0 || index >= m_columns.count())
        throw Error(noSuchColumn());
    return q.isNull(index);
}

QString RowCursor::field(int index) const {
    const QSqlQuery& q = current();
    if (index < 0 || index >= m_columns.count())
        throw Error(noSuchColumn());
    return fieldText(q.value(index));
}

int RowCursor::columnIndex(const QString& name) const {
    // QSqlRecord matches names without regard to case; brackets are not part
    // of a column's name.
    QString bare = name;
    if (bare.startsWith(QLatin1Char('[')) && bare.endsWith(QLatin1Char(']')))
        bare = bare.mid(1, bare.size() - 2);
    const int at = m_columns.indexOf(bare);
    if (at < 0)
        throw Error(noSuchColumn());
    return at;
}

QString RowCursor::field(const QString& name) const {
    const QSqlQuery& q = current();
    return fieldText(q.value(columnIndex(name)));
}

bool RowCursor::isNull(const QString& name) const {
    const QSqlQuery& q = current();
    return q.isNull(columnIndex(name));
}

int RowCursor::columnCount() const {
    return m_columns.count();
}

QString RowCursor::columnName(int index) const {
    return m_columns.fieldName(index);
}

QStringList columnValues(RowCursor rows, const QString& name) {
    QStringList out;
    for (; !rows.atEnd(); rows.next())
        out << rows.field(name);
    return out;
}

QStringList trimmedColumnValues(RowCursor rows, const QString& name) {
    QStringList out;
    for (; !rows.atEnd(); rows.next())
        out << rows.trimmed(name);
    return out;
}

} // namespace db
