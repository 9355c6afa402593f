#include "db/dialect.h"

namespace db {

QString yesterdaysOutagesSql(Backend backend) {
    if (backend == Backend::SqlServer)
        return QStringLiteral(
            "select * from olt_status where (DATEDIFF(day,down_time ,GETDATE()) = 1 or "
            "DATEDIFF(day,up_time ,GETDATE()) = 1) or (DATEDIFF(day,down_time ,GETDATE()) <> 0 "
            "AND status='open')");
    // The same calendar-day differences on the local clock: julianday of the
    // dates alone, so a time of day never tips the count.
    return QStringLiteral("select * from olt_status where (julianday(date('now','localtime')) - "
                          "julianday(date(down_time)) = 1 or julianday(date('now','localtime')) - "
                          "julianday(date(up_time)) = 1) or (julianday(date('now','localtime')) - "
                          "julianday(date(down_time)) <> 0 AND status='open')");
}

QString duplicateCandidatesSql(Backend backend) {
    if (backend == Backend::SqlServer)
        return QStringLiteral("SELECT ID FROM CDATA WITH (UPDLOCK, HOLDLOCK) WHERE ID LIKE ? "
                              "ESCAPE '!' OR ID LIKE ' %'");
    return QStringLiteral("SELECT ID FROM CDATA WHERE ID LIKE ? ESCAPE '!' OR ID LIKE ' %'");
}

QString rowsChangedSql(const QString& dbmsName) {
    if (dbmsName.contains(QLatin1String("SQL Server"), Qt::CaseInsensitive))
        return QStringLiteral("SELECT @@ROWCOUNT");
    if (dbmsName.contains(QLatin1String("SQLite"), Qt::CaseInsensitive))
        return QStringLiteral("SELECT changes()");
    return {};
}

bool isSqliteOnlyText(const QString& sql) {
    // A caller may add clauses (an order) after a dialect text.
    return sql.startsWith(yesterdaysOutagesSql(Backend::Sqlite)) ||
           sql.startsWith(duplicateCandidatesSql(Backend::Sqlite)) ||
           sql == rowsChangedSql(QStringLiteral("SQLite"));
}

QStringList serverOnlyTexts() {
    return {yesterdaysOutagesSql(Backend::SqlServer), duplicateCandidatesSql(Backend::SqlServer),
            rowsChangedSql(QStringLiteral("Microsoft SQL Server"))};
}

} // namespace db
