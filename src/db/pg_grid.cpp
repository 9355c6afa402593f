#include "db/pg_grid.h"

#include "db/dialect.h"
#include "db/error.h"
#include "db/grid_model.h"
#include "db/schema_definition.h"

#include <QSqlDriver>
#include <libpq-fe.h>
#include <memory>
#include <vector>

namespace db {

namespace {

// Type numbers of PostgreSQL's catalogue (pg_type.dat).
constexpr Oid timestampOid = 1114;
// Types whose server text is not what the grid shows.
constexpr Oid convertedOids[] = {16 /*bool*/,          17 /*bytea*/,    700 /*float4*/,
                                 701 /*float8*/,       1082 /*date*/,   1083 /*time*/,
                                 1184 /*timestamptz*/, 1266 /*timetz*/, 1700 /*numeric*/};

// The driver names the handle's type by libpq's inner struct name
// ("pg_conn*"), so the name is not compared, only the driver and the size.
PGconn* connectionOf(const QSqlDatabase& db) {
    const QVariant h = db.driver()->handle();
    if (db.driverName() != QLatin1String("QPSQL") || !h.isValid() ||
        h.metaType().sizeOf() != int(sizeof(PGconn*)))
        return nullptr;
    return *static_cast<PGconn* const*>(h.constData());
}

// `?` outside quoted literals becomes $1, $2, ...
QByteArray numberedPlaceholders(const QString& sql) {
    QString out;
    out.reserve(sql.size() + 8);
    bool inLiteral = false;
    int number = 0;
    for (const QChar c : sql) {
        if (c == QLatin1Char('\''))
            inLiteral = !inLiteral;
        if (c == QLatin1Char('?') && !inLiteral)
            out += QLatin1Char('$') + QString::number(++number) + QLatin1Char(' ');
        else
            out += c;
    }
    return out.toUtf8();
}

using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

QString serverError(PGconn* conn, const PGresult* result) {
    const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    return QString::fromUtf8(primary ? primary : PQerrorMessage(conn)).trimmed();
}

// Reads every remaining result, so the connection is free for the next statement.
void drain(PGconn* conn) {
    while (PGresult* rest = PQgetResult(conn))
        PQclear(rest);
}

bool shownAsSent(const PGresult* row) {
    for (int c = 0; c < PQnfields(row); ++c)
        for (const Oid converted : convertedOids)
            if (PQftype(row, c) == converted)
                return false;
    return true;
}

void copyRow(const PGresult* row, GridModel& grid) {
    for (int c = 0; c < PQnfields(row); ++c) {
        qsizetype size = PQgetlength(row, 0, c);
        // A timestamp shows to the second, as the general path formats it.
        if (PQftype(row, c) == timestampOid && size > 19)
            size = 19;
        grid.appendCell(PQgetisnull(row, 0, c) ? "" : PQgetvalue(row, 0, c),
                        PQgetisnull(row, 0, c) ? 0 : size);
    }
}

} // namespace

bool bindPostgreSqlGrid(const QSqlDatabase& db, GridModel& grid, const QString& sql,
                        const Params& params) {
    PGconn* conn = connectionOf(db);
    if (!conn)
        return false;
    std::vector<QByteArray> texts;
    for (const Value& v : params) {
        const QVariant bound = v.bound(false);
        texts.push_back(bound.isNull() ? QByteArray() : bound.toString().toUtf8());
    }
    std::vector<const char*> values;
    for (const QByteArray& t : texts)
        values.push_back(t.isNull() ? nullptr : t.constData());
    const QByteArray text = numberedPlaceholders(postgreSqlText(sql));
    // A cursor finished part-way leaves its rows on the wire; the driver
    // reads them only before its own next statement.
    drain(conn);
    if (!PQsendQueryParams(conn, text.constData(), int(values.size()), nullptr, values.data(),
                           nullptr, nullptr, 0) ||
        !PQsetSingleRowMode(conn)) {
        drain(conn);
        throw Error(serverError(conn, nullptr));
    }
    bool started = false;
    while (PGresult* raw = PQgetResult(conn)) {
        Result result(raw, PQclear);
        const ExecStatusType status = PQresultStatus(raw);
        if (status == PGRES_FATAL_ERROR) {
            const QString message = serverError(conn, raw);
            drain(conn);
            throw Error(message);
        }
        if (!started) {
            if (!shownAsSent(raw)) {
                // Nothing shown yet: the general path asks the server again.
                result.reset();
                drain(conn);
                return false;
            }
            QStringList names;
            for (int c = 0; c < PQnfields(raw); ++c)
                names << QString::fromUtf8(PQfname(raw, c));
            grid.beginFill(schema::spelledAsDefined(sql, names));
            started = true;
        }
        if (status == PGRES_SINGLE_TUPLE)
            copyRow(raw, grid);
    }
    if (started)
        grid.endFill();
    return started;
}

} // namespace db
