#include "postgresql_load.h"

#include "sqlite_file.h"

#include "db/dialect.h"
#include "db/error.h"
#include "db/schema.h"
#include "db/schema_definition.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

#include <functional>

namespace admin {

namespace {

// Rows sent in one INSERT: many rows a statement saves the round trips,
// and PostgreSQL takes at most 65,535 values in one.
constexpr int valuesPerInsert = 8000;

// One connection for one command, in one transaction: committed by
// commit(), rolled back when it goes out of scope before that.
class Server {
public:
    explicit Server(const QString& conninfo)
        : m_name(QStringLiteral("zelcrm-admin-") + QUuid::createUuid().toString()) {
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
            throw db::Error(QStringLiteral("Qt's PostgreSQL driver is not installed (Debian "
                                           "package libqt6sql6-psql)"));
        QSqlDatabase conn = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        conn.setConnectOptions(conninfo);
        if (!conn.open())
            throw db::Error(QStringLiteral("Cannot connect to PostgreSQL with \"%1\": %2")
                                .arg(conninfo, conn.lastError().databaseText().trimmed()));
        if (!conn.transaction())
            throw db::Error(conn.lastError().text());
    }
    ~Server() {
        {
            QSqlDatabase conn = QSqlDatabase::database(m_name, false);
            if (!m_committed)
                conn.rollback();
            conn.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    void run(const QString& sql, const QVariantList& values = {}) {
        QSqlQuery q(QSqlDatabase::database(m_name, false));
        const bool ran = values.isEmpty() ? q.exec(sql) : q.prepare(sql) && [&] {
            for (const QVariant& v : values)
                q.addBindValue(v);
            return q.exec();
        }();
        if (!ran)
            throw db::Error(q.lastError().databaseText().trimmed() + QStringLiteral(" in: ") +
                            sql.left(200));
    }
    qint64 number(const QString& sql) {
        QSqlQuery q(QSqlDatabase::database(m_name, false));
        if (!q.exec(sql) || !q.next())
            throw db::Error(q.lastError().databaseText().trimmed() + QStringLiteral(" in: ") + sql);
        return q.value(0).toLongLong();
    }
    void commit() {
        if (!QSqlDatabase::database(m_name, false).commit())
            throw db::Error(QSqlDatabase::database(m_name, false).lastError().text());
        m_committed = true;
    }

private:
    QString m_name;
    bool m_committed = false;
};

// The schema script as single statements: the driver runs one at a time.
QStringList statementsOf(const QString& script) {
    QStringList statements;
    QString current;
    for (const QString& line : script.split(QLatin1Char('\n'))) {
        if (line.trimmed().startsWith(QLatin1String("--")))
            continue;
        current += line + QLatin1Char('\n');
        if (line.trimmed().endsWith(QLatin1Char(';'))) {
            statements << current.trimmed();
            current.clear();
        }
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

QString quoted(const char* name) {
    return QLatin1Char('"') + QString::fromLatin1(name).toLower() + QLatin1Char('"');
}

// A stored SQLite value as the PostgreSQL column takes it. SQLite keeps
// whatever text it was given; an empty text in a number or time column is
// no value there.
QVariant valueFor(const Statement& row, int column, db::schema::Kind kind) {
    using db::schema::Kind;
    const QString text = row.columnText(column);
    switch (kind) {
    case Kind::Integer:
    case Kind::Identity: {
        bool ok = false;
        const qlonglong n = text.trimmed().toLongLong(&ok);
        return ok ? QVariant(n) : QVariant(QMetaType(QMetaType::LongLong));
    }
    case Kind::DateTime:
        return text.trimmed().isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(text);
    default:
        return text.isNull() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(text);
    }
}

qint64 copyTable(const SqliteFile& file, Server& server, const db::schema::Table& table) {
    QStringList names;
    QStringList sqliteNames;
    for (const db::schema::Column& column : table.columns) {
        names << quoted(column.name);
        sqliteNames << QLatin1Char('"') + QString::fromLatin1(column.name) + QLatin1Char('"');
    }
    const int width = int(table.columns.size());
    const int rowsPerInsert = std::max(1, valuesPerInsert / width);
    const QString head = QStringLiteral("INSERT INTO %1 (%2) VALUES ")
                             .arg(quoted(table.name), names.join(QLatin1Char(',')));
    const QString oneRow = QLatin1Char('(') +
                           QStringList(width, QStringLiteral("?")).join(QLatin1Char(',')) +
                           QLatin1Char(')');
    const auto send = [&](const QVariantList& values) {
        const int rows = int(values.size()) / width;
        server.run(head + QStringList(rows, oneRow).join(QLatin1Char(',')), values);
    };
    Statement read(file,
                   QStringLiteral("SELECT %1 FROM \"%2\"")
                       .arg(sqliteNames.join(QLatin1Char(',')), QString::fromLatin1(table.name)));
    // Rows numbered from 1 by their file go past the rows the database
    // already holds (synthetic rows added to the demo data, say).
    const QString tableName = QString::fromLatin1(table.name);
    const qint64 offset = db::identityColumn(tableName).isEmpty()
                              ? 0
                              : server.number(db::postgreSqlIdentityHighest(tableName));
    QVariantList values;
    qint64 copied = 0;
    qint64 highest = 0; // the highest row number copied
    while (read.step()) {
        for (int c = 0; c < width; ++c) {
            values << valueFor(read, c, table.columns.at(c).kind);
            if (table.columns.at(c).kind == db::schema::Kind::Identity) {
                values.last() = values.constLast().toLongLong() + offset;
                highest = std::max(highest, values.constLast().toLongLong());
            }
        }
        if (++copied % rowsPerInsert == 0) {
            send(values);
            values.clear();
        }
    }
    if (!values.isEmpty())
        send(values);
    // The rows came with their own numbers; new rows must get higher ones.
    if (highest > 0)
        server.run(db::postgreSqlIdentityPast(tableName, highest));
    return copied;
}

} // namespace

void createPostgreSqlSchema(const QString& conninfo) {
    Server server(conninfo);
    for (const QString& statement : statementsOf(db::schemaScript(db::Backend::PostgreSql)))
        server.run(statement);
    server.commit();
}

qint64 copyIntoPostgreSql(const QString& sqlitePath, const QString& conninfo) {
    const SqliteFile file(sqlitePath, false);
    Server server(conninfo);
    qint64 copied = 0;
    for (const db::schema::Table& table : db::schema::tables())
        copied += copyTable(file, server, table);
    server.commit();
    return copied;
}

} // namespace admin
