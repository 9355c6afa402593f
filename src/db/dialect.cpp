#include "db/dialect.h"

#include "db/schema_definition.h"

#include <QRegularExpression>
#include <optional>

namespace db {

QString postgreSqlText(const QString& sql) {
    QString out;
    out.reserve(sql.size());
    bool inLiteral = false;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\''))
            inLiteral = !inLiteral;
        const qsizetype close = c == QLatin1Char('[') && !inLiteral ? sql.indexOf(u']', i) : -1;
        if (close < 0) {
            out += c;
            continue;
        }
        out += QLatin1Char('"') + sql.mid(i + 1, close - i - 1).toLower() + QLatin1Char('"');
        i = close;
    }
    return out;
}

QString identityColumn(const QString& table) {
    for (const schema::Table& t : schema::tables())
        if (table.compare(QLatin1String(t.name), Qt::CaseInsensitive) == 0)
            for (const schema::Column& column : t.columns)
                if (column.kind == schema::Kind::Identity)
                    return QString::fromLatin1(column.name);
    return {};
}

QString postgreSqlIdentityPast(const QString& table, qint64 highest) {
    const QString t = table.toLower();
    const QString sequence = QStringLiteral("pg_get_serial_sequence('\"%1\"', '%2')")
                                 .arg(t, identityColumn(table).toLower());
    // Past the last number handed out too, so the identity never moves back.
    return QStringLiteral("SELECT setval(%1, greatest(%2, coalesce(pg_sequence_last_value(CAST(%1 "
                          "AS regclass)), 0)))")
        .arg(sequence)
        .arg(highest);
}

QString postgreSqlIdentityHighest(const QString& table) {
    const QString t = table.toLower();
    const QString column = identityColumn(table).toLower();
    return QStringLiteral("SELECT greatest(coalesce(pg_sequence_last_value(CAST(pg_get_serial_"
                          "sequence('\"%1\"', '%2') AS regclass)), 0), coalesce((SELECT "
                          "max(\"%2\") FROM \"%1\"), 0))")
        .arg(t, column);
}

QString yesterdaysOutagesSql(Backend backend) {
    switch (backend) {
    case Backend::SqlServer:
        return QStringLiteral(
            "select * from olt_status where (DATEDIFF(day,down_time ,GETDATE()) = 1 or "
            "DATEDIFF(day,up_time ,GETDATE()) = 1) or (DATEDIFF(day,down_time ,GETDATE()) <> 0 "
            "AND status='open')");
    case Backend::PostgreSql:
        // Calendar days on the server's clock, as DATEDIFF(day, ...) counts them.
        return QStringLiteral("select * from olt_status where (current_date - down_time::date = 1 "
                              "or current_date - up_time::date = 1) or (current_date - "
                              "down_time::date <> 0 AND status='open')");
    case Backend::Sqlite:
        break;
    }
    // The same calendar-day differences on the local clock: julianday of the
    // dates alone, so a time of day never tips the count.
    return QStringLiteral("select * from olt_status where (julianday(date('now','localtime')) - "
                          "julianday(date(down_time)) = 1 or julianday(date('now','localtime')) - "
                          "julianday(date(up_time)) = 1) or (julianday(date('now','localtime')) - "
                          "julianday(date(down_time)) <> 0 AND status='open')");
}

QString claimSql(Backend backend) {
    switch (backend) {
    case Backend::PostgreSql:
        return QStringLiteral("SELECT pg_advisory_xact_lock(CAST(? AS integer), hashtext(?))");
    case Backend::SqlServer:
        return QStringLiteral(
            "DECLARE @claimed int; EXEC @claimed = sp_getapplock @Resource = ?, "
            "@LockMode = 'Exclusive', @LockOwner = 'Transaction'; IF @claimed < 0 "
            "RAISERROR('THE CHECK COULD NOT TAKE ITS LOCK', 16, 1)");
    case Backend::Sqlite:
        break;
    }
    return {};
}

QString duplicateCandidatesSql(Backend backend) {
    switch (backend) {
    case Backend::SqlServer:
        return QStringLiteral("SELECT ID FROM CDATA WITH (UPDLOCK, HOLDLOCK) WHERE ID LIKE ? "
                              "ESCAPE '!' OR ID LIKE ' %'");
    case Backend::PostgreSql:
        // citext's LIKE cannot use an index; the lowered text's can
        // (ix_cdata_id_prefix), and lowering both sides ignores case as citext does.
        return QStringLiteral("SELECT ID FROM CDATA WHERE lower(CAST(ID AS text)) LIKE lower(?) "
                              "ESCAPE '!' OR lower(CAST(ID AS text)) LIKE ' %' FOR UPDATE");
    case Backend::Sqlite:
        break;
    }
    return QStringLiteral("SELECT ID FROM CDATA WHERE ID LIKE ? ESCAPE '!' OR ID LIKE ' %'");
}

QString openComplaintsSql(Backend backend) {
    if (backend == Backend::SqlServer)
        return QStringLiteral("select id from complain WITH (UPDLOCK, HOLDLOCK) WHERE [user id]=? "
                              "and status<>'CLOSED'");
    return QStringLiteral("select id from complain WHERE [user id]=? and status<>'CLOSED'");
}

QString insertReturningKey(Backend backend, const QString& insert, const QString& key) {
    if (backend != Backend::SqlServer)
        return insert + QStringLiteral(" RETURNING ") + key;
    const qsizetype values = insert.lastIndexOf(QLatin1String(" VALUES"), -1, Qt::CaseInsensitive);
    return insert.left(values) + QStringLiteral(" OUTPUT INSERTED.") + key + insert.mid(values);
}

namespace {

// The SQL Server form of an insert that reads back its key with RETURNING;
// nothing for any other text.
std::optional<QString> sqlServerKeyedInsert(const QString& sql) {
    static const QRegularExpression returning(
        QStringLiteral("^(INSERT .* VALUES\\s*\\(.*\\)) RETURNING (\\[[^\\]]+\\]|\\w+)$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = returning.match(sql.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    return insertReturningKey(Backend::SqlServer, match.captured(1), match.captured(2));
}

} // namespace

QString rowsChangedSql(const QString& dbmsName) {
    if (dbmsName.contains(QLatin1String("SQL Server"), Qt::CaseInsensitive))
        return QStringLiteral("SELECT @@ROWCOUNT");
    if (dbmsName.contains(QLatin1String("SQLite"), Qt::CaseInsensitive))
        return QStringLiteral("SELECT changes()");
    return {};
}

bool isOtherDialectText(const QString& sql) {
    if (sqlServerKeyedInsert(sql))
        return true;
    // A caller may add clauses (an order) after a dialect text.
    for (const Backend backend : {Backend::Sqlite, Backend::PostgreSql})
        if (sql.startsWith(yesterdaysOutagesSql(backend)) || sql == openComplaintsSql(backend) ||
            sql.startsWith(duplicateCandidatesSql(backend)))
            return true;
    return sql == rowsChangedSql(QStringLiteral("SQLite"));
}

QStringList serverOnlyTexts() {
    return {yesterdaysOutagesSql(Backend::SqlServer), duplicateCandidatesSql(Backend::SqlServer),
            openComplaintsSql(Backend::SqlServer), claimSql(Backend::SqlServer),
            rowsChangedSql(QStringLiteral("Microsoft SQL Server"))};
}

QString sqlServerCounterpart(const QString& sql) {
    return sqlServerKeyedInsert(sql).value_or(QString());
}

} // namespace db
