#include "support/db_snapshot.h"

#include <algorithm>

namespace support {

namespace {

QString tablesSql(const TestDb& db) {
    if (db.backend() == db::Backend::Sqlite)
        return QStringLiteral("select name from sqlite_master where type='table' order by name");
    return QStringLiteral("select table_name from information_schema.tables where "
                          "table_schema='public' and table_type='BASE TABLE' order by table_name");
}

// The columns a text can be written into.
QString textColumnsSql(const TestDb& db, const QString& table) {
    if (db.backend() == db::Backend::Sqlite)
        return QStringLiteral("select name from pragma_table_info('%1')").arg(table);
    return QStringLiteral("select column_name from information_schema.columns where "
                          "table_schema='public' and table_name='%1' and udt_name in "
                          "('citext', 'text')")
        .arg(table);
}

QStringList snapshotOf(const TestDb& db, bool secondary) {
    const auto rows = [&](const QString& sql) {
        return secondary ? db.rowsSecondary(sql) : db.rows(sql);
    };
    QStringList out;
    const QStringList tables = rows(tablesSql(db));
    for (const QString& table : tables) {
        const QString quoted = QLatin1Char('"') + table + QLatin1Char('"');
        for (const QString& row : rows(QStringLiteral("select * from ") + quoted))
            out << table + QLatin1Char('|') + row;
    }
    // Tables themselves count too: a dropped table shows as a missing name.
    for (const QString& table : tables)
        out << QStringLiteral("(table)|") + table;
    std::sort(out.begin(), out.end());
    return out;
}

void replaceValueIn(const TestDb& db, bool secondary, const QString& from, const QString& to) {
    const auto rows = [&](const QString& sql) {
        return secondary ? db.rowsSecondary(sql) : db.rows(sql);
    };
    const QStringList tables = rows(tablesSql(db));
    for (const QString& table : tables) {
        const QString quotedTable = QLatin1Char('"') + table + QLatin1Char('"');
        for (const QString& column : rows(textColumnsSql(db, table))) {
            const QString sql =
                QStringLiteral("update %1 set \"%2\"=? where \"%2\"=?").arg(quotedTable, column);
            secondary ? db.execSecondary(sql, {to, from}) : db.exec(sql, {to, from});
        }
    }
}

} // namespace

void replaceValue(const TestDb& db, const QString& from, const QString& to) {
    replaceValueIn(db, false, from, to);
    replaceValueIn(db, true, from, to);
}

QStringList snapshot(const TestDb& db) {
    return snapshotOf(db, false);
}

QStringList snapshotSecondary(const TestDb& db) {
    return snapshotOf(db, true);
}

QString SnapshotChange::described() const {
    return QStringLiteral("expected %1\nstored %2")
        .arg(removed.join(u'\n').left(2000), added.join(u'\n').left(2000));
}

SnapshotChange changeBetween(QStringList before, QStringList after) {
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    SnapshotChange change;
    std::set_difference(before.begin(), before.end(), after.begin(), after.end(),
                        std::back_inserter(change.removed));
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                        std::back_inserter(change.added));
    return change;
}

} // namespace support
