#include "db/screen_db.h"

#include "db/dialect.h"
#include "db/error.h"
#include "db/grid_model.h"
#include "db/kept_sessions.h"
#include "db/pg_grid.h"
#include "db/schema_definition.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <atomic>
#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>

namespace db {

namespace {

QAtomicInt connectionCounter;

// PostgreSQL's text carries a severity before the message and the context
// and error code after it ("ERROR:  complaints are closed\nCONTEXT: ...");
// the operator reads the message itself, as the other servers give it.
QString serverMessage(const QString& text) {
    static const QRegularExpression severity(QStringLiteral("^(?:ERROR|FATAL|PANIC):\\s+"));
    QString message = text;
    message.remove(severity);
    if (message.size() < text.size())
        message = message.section(QLatin1Char('\n'), 0, 0);
    return message.trimmed();
}

QString errorText(const QSqlError& e) {
    const QString server = serverMessage(e.databaseText().trimmed());
    return server.isEmpty() ? e.text().trimmed() : server;
}

QString closedMessage() {
    return QStringLiteral("Operation is not allowed when the object is closed.");
}

QSqlDatabase connection(const QString& name) {
    return QSqlDatabase::database(name, false);
}

// The grid's fast path on SQLite: reads the answer straight from the engine as
// UTF-8, without a QVariant per cell, so a million-row answer binds quickly.
class SqliteStatement {
public:
    SqliteStatement(sqlite3* handle, const QString& sql)
        : m_handle(handle) {
        if (sqlite3_prepare_v2(handle, sql.toUtf8().constData(), -1, &m_st, nullptr) != SQLITE_OK)
            throw Error(QString::fromUtf8(sqlite3_errmsg(handle)));
    }
    ~SqliteStatement() { sqlite3_finalize(m_st); }
    void bind(const Params& params) {
        for (int i = 0; i < params.size(); ++i) {
            const QVariant v = params.at(i).bound(false);
            if (v.isNull()) {
                sqlite3_bind_null(m_st, i + 1);
            } else if (v.typeId() == QMetaType::LongLong) {
                sqlite3_bind_int64(m_st, i + 1, v.toLongLong());
            } else {
                const QByteArray utf8 = v.toString().toUtf8();
                sqlite3_bind_text(m_st, i + 1, utf8.constData(), int(utf8.size()),
                                  SQLITE_TRANSIENT);
            }
        }
    }
    void copyInto(GridModel& grid) {
        const int columns = sqlite3_column_count(m_st);
        QStringList names;
        for (int c = 0; c < columns; ++c)
            names << QString::fromUtf8(sqlite3_column_name(m_st, c));
        grid.beginFill(names);
        int rc;
        while ((rc = sqlite3_step(m_st)) == SQLITE_ROW) {
            for (int c = 0; c < columns; ++c) {
                // A real shows as a cursor reads it ("0", not the engine's "0.0").
                if (sqlite3_column_type(m_st, c) == SQLITE_FLOAT) {
                    grid.appendCell(fieldText(QVariant(sqlite3_column_double(m_st, c))));
                    continue;
                }
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_st, c));
                grid.appendCell(text ? text : "", sqlite3_column_bytes(m_st, c));
            }
        }
        grid.endFill();
        if (rc != SQLITE_DONE)
            throw Error(QString::fromUtf8(sqlite3_errmsg(m_handle)));
    }

private:
    sqlite3* m_handle;
    sqlite3_stmt* m_st = nullptr;
};

sqlite3* sqliteHandle(const QSqlDatabase& db) {
    const QVariant h = db.driver()->handle();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(h.constData());
}

// The ODBC connection handle under a QODBC connection, or null.
SQLHDBC odbcHandle(const QSqlDatabase& db) {
    const QVariant h = db.driver()->handle();
    if (db.driverName() != QLatin1String("QODBC") || !h.isValid() ||
        h.metaType().sizeOf() != int(sizeof(SQLHDBC)))
        return nullptr;
    return *static_cast<SQLHDBC const*>(h.constData());
}

// What the driver says its database is ("Microsoft SQL Server", "SQLite").
QString dbmsName(const QSqlDatabase& db) {
    SQLHDBC hdbc = odbcHandle(db);
    if (!hdbc)
        return {};
    SQLCHAR name[256] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfo(hdbc, SQL_DBMS_NAME, name, sizeof name, &length)))
        return {};
    return QString::fromUtf8(reinterpret_cast<const char*>(name));
}

// ZELCRM_RECORD_STATEMENTS=FILE appends every distinct statement text this
// process runs to FILE, one JSON string a line, for the grammar check of the
// texts SQL Server would get. Other dialects' texts are swapped for the server's.
class StatementRecorder {
public:
    static StatementRecorder& instance() {
        static StatementRecorder recorder;
        return recorder;
    }
    void record(const QString& sql) {
        if (m_path.isEmpty())
            return;
        const QString counterpart = sqlServerCounterpart(sql);
        if (counterpart.isEmpty() && isOtherDialectText(sql))
            return;
        const QMutexLocker lock(&m_mutex);
        if (m_seen.isEmpty())
            for (const QString& text : serverOnlyTexts())
                write(separatePlaceholders(text));
        write(separatePlaceholders(counterpart.isEmpty() ? sql : counterpart));
    }

private:
    StatementRecorder()
        : m_path(qEnvironmentVariable("ZELCRM_RECORD_STATEMENTS")) {}
    void write(const QString& sql) {
        if (m_seen.contains(sql))
            return;
        m_seen.insert(sql);
        QFile file(m_path);
        if (!file.open(QIODevice::Append))
            return;
        // One write per line, so processes appending at once never interleave.
        file.write(QJsonDocument(QJsonArray{sql}).toJson(QJsonDocument::Compact) + '\n');
    }
    QString m_path;
    QMutex m_mutex;
    QSet<QString> m_seen;
};

std::atomic<int> statementCount{0};
std::atomic<int> failingStatement{0};

// Counts the statement and throws when the test hook chose it.
void passTestHook() {
    const int n = ++statementCount;
    if (failingStatement.load() == n)
        throw Error(QStringLiteral("Statement %1 failed (test hook)").arg(n));
}

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

} // namespace

namespace testing {

void failStatement(int n) {
    failingStatement = n;
    statementCount = 0;
}

int statementsRun() {
    return statementCount.load();
}

} // namespace testing

QString separatePlaceholders(const QString& sql) {
    QString out;
    out.reserve(sql.size() + 8);
    bool inLiteral = false;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        out += c;
        if (c == QLatin1Char('\''))
            inLiteral = !inLiteral;
        else if (c == QLatin1Char('?') && !inLiteral && i + 1 < sql.size() &&
                 isWordChar(sql.at(i + 1)))
            out += QLatin1Char(' ');
    }
    return out;
}

namespace {

QString newConnectionName() {
    return QStringLiteral("screen-%1").arg(connectionCounter.fetchAndAddRelaxed(1));
}

} // namespace

ScreenDb::ScreenDb(DbSettings settings)
    : m_name(newConnectionName())
    , m_settings(std::move(settings)) {}

ScreenDb::~ScreenDb() {
    closeTo(0);
    if (QSqlDatabase::contains(m_name))
        QSqlDatabase::removeDatabase(m_name);
}

void ScreenDb::open() {
    openOn(false);
}

void ScreenDb::openSecondary() {
    openOn(true);
}

namespace {

QString driverName(Backend backend) {
    switch (backend) {
    case Backend::Sqlite:
        return QStringLiteral("QSQLITE");
    case Backend::SqlServer:
        return QStringLiteral("QODBC");
    case Backend::PostgreSql:
        return QStringLiteral("QPSQL");
    }
    return {};
}

QString driverPackage(Backend backend) {
    switch (backend) {
    case Backend::Sqlite:
        return QStringLiteral("libqt6sql6-sqlite");
    case Backend::SqlServer:
        return QStringLiteral("libqt6sql6-odbc");
    case Backend::PostgreSql:
        return QStringLiteral("libqt6sql6-psql");
    }
    return {};
}

QString missingServer(bool secondary, const QString& configPath) {
    return QStringLiteral("Missing setting [database] %1 in %2")
        .arg(secondary ? QStringLiteral("secondary_server") : QStringLiteral("primary_server"),
             configPath);
}

void setUpSqlite(QSqlDatabase& db, const DbSettings& settings, bool secondary) {
    const QString path = secondary ? settings.secondarySqlitePath : settings.sqlitePath;
    if (path.isEmpty())
        throw Error(QStringLiteral("Missing setting [database] secondary_sqlite_path in %1")
                        .arg(settings.configPath));
    // Qt would quietly create an empty file; a missing database is an error.
    if (!QFileInfo::exists(path))
        throw Error(QStringLiteral("Database file %1 not found").arg(path));
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
}

void setUpOdbc(QSqlDatabase& db, const DbSettings& settings, bool secondary) {
    const QString server = secondary ? settings.secondaryServer : settings.primaryServer;
    if (server.isEmpty())
        throw Error(missingServer(secondary, settings.configPath));
    const bool given = !secondary && !settings.odbcConnection.isEmpty();
    db.setDatabaseName(given ? settings.odbcConnection
                             : odbcConnectionString(settings.connectionText, server,
                                                    settings.odbcDriver, settings.encrypt));
    db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=15"));
}

void setUpPostgreSql(QSqlDatabase& db, const DbSettings& settings, bool secondary) {
    const QString server = secondary ? settings.secondaryServer : settings.primaryServer;
    if (server.isEmpty())
        throw Error(missingServer(secondary, settings.configPath));
    const ServerAddress address = serverAddress(server);
    db.setHostName(address.host);
    if (address.port > 0)
        db.setPort(address.port);
    db.setDatabaseName(secondary ? settings.pgSecondaryDatabase : settings.pgDatabase);
    db.setUserName(settings.pgUser);
    db.setPassword(settings.pgPassword);
    db.setConnectOptions(QStringLiteral("connect_timeout=15;application_name=zelcrm;sslmode=") +
                         settings.pgSslMode);
}

} // namespace

void ScreenDb::openOn(bool secondary) {
    if (m_depth > 0) {
        // An action that starts while another waits shares its connection.
        if (secondary != m_secondary)
            throw Error(QStringLiteral("The screen's connection is in use by another action."));
        ++m_depth;
        return;
    }
    if (m_settings.backend == Backend::PostgreSql && openKeptSession(secondary))
        return;
    const QString driver = driverName(m_settings.backend);
    if (!QSqlDatabase::isDriverAvailable(driver))
        throw Error(QStringLiteral("The Qt database driver %1 is not installed (Debian: %2)")
                        .arg(driver, driverPackage(m_settings.backend)));
    if (!QSqlDatabase::contains(m_name))
        QSqlDatabase::addDatabase(driver, m_name);
    QSqlDatabase db = connection(m_name);
    switch (m_settings.backend) {
    case Backend::Sqlite:
        setUpSqlite(db, m_settings, secondary);
        break;
    case Backend::SqlServer:
        setUpOdbc(db, m_settings, secondary);
        break;
    case Backend::PostgreSql:
        setUpPostgreSql(db, m_settings, secondary);
        break;
    }
    if (!db.open())
        throw Error(errorText(db.lastError()));
    m_rowsChangedSql =
        m_settings.backend == Backend::SqlServer ? rowsChangedSql(dbmsName(db)) : QString();
    m_secondary = secondary;
    m_depth = 1;
}

// A session an earlier action of this workstation left to the same database.
bool ScreenDb::openKeptSession(bool secondary) {
    const QString kept = kept_sessions::take(kept_sessions::target(m_settings, secondary));
    if (kept.isEmpty())
        return false;
    if (QSqlDatabase::contains(m_name))
        QSqlDatabase::removeDatabase(m_name);
    m_name = kept;
    m_rowsChangedSql.clear();
    m_secondary = secondary;
    m_depth = 1;
    return true;
}

void ScreenDb::close() {
    if (m_depth == 0)
        return;
    if (--m_depth > 0)
        return;
    finishLiveCursor();
    releaseCursors();
    QSqlDatabase db = connection(m_name);
    bool clean = true;
    if (m_inTransaction) {
        clean = db.rollback();
        m_inTransaction = false;
    }
    // Only a session with nothing of the action left in it serves the next.
    if (clean && m_settings.backend == Backend::PostgreSql &&
        kept_sessions::keep(m_name, kept_sessions::target(m_settings, m_secondary))) {
        m_name = newConnectionName();
        return;
    }
    db.close();
}

void ScreenDb::closeTo(int depth) {
    while (m_depth > depth)
        close();
}

void ScreenDb::finishLiveCursor() {
    if (const auto live = m_live.lock())
        live->finish();
    m_live.reset();
}

// A cursor still held when the connection closes keeps its statement on the
// connection, and some drivers (SQLite's ODBC driver) then refuse to
// disconnect, leaking the connection. Its statement is released; reading the
// cursor afterwards throws like any finished cursor.
void ScreenDb::releaseCursors() {
    for (const auto& handed : m_cursors)
        if (const auto q = handed.lock())
            *q = QSqlQuery(QSqlDatabase());
    m_cursors.clear();
}

std::shared_ptr<QSqlQuery> ScreenDb::run(const QString& sql, const Params& params,
                                         bool forwardOnly) {
    if (m_depth == 0)
        throw Error(closedMessage());
    finishLiveCursor();
    passTestHook();
    return runCounted(sql, params, forwardOnly);
}

// run() once the statement has been counted.
std::shared_ptr<QSqlQuery> ScreenDb::runCounted(const QString& sql, const Params& params,
                                                bool forwardOnly) {
    auto q = std::make_shared<QSqlQuery>(connection(m_name));
    q->setForwardOnly(forwardOnly);
    const QString text = m_settings.backend == Backend::PostgreSql ? postgreSqlText(sql) : sql;
    if (!q->prepare(separatePlaceholders(text)))
        throw Error(errorText(q->lastError()));
    const bool native = m_settings.backend != Backend::Sqlite;
    for (const Value& v : params)
        q->addBindValue(v.bound(native));
    if (!q->exec())
        throw Error(errorText(q->lastError()));
    if (q->isSelect())
        m_live = q;
    return q;
}

int ScreenDb::execute(const QString& sql, const Params& params) {
    StatementRecorder::instance().record(sql);
    const int reported = run(sql, params, true)->numRowsAffected();
    return rowsChanged(reported, [this] { return askRowsChanged(); });
}

std::optional<int> ScreenDb::askRowsChanged() {
    if (m_rowsChangedSql.isEmpty())
        return std::nullopt;
    auto q = run(m_rowsChangedSql, {}, true);
    std::optional<int> rows;
    bool ok = false;
    if (q->next())
        if (const int n = q->value(0).toInt(&ok); ok && n >= 0)
            rows = n;
    q->finish();
    m_live.reset();
    return rows;
}

// Some ODBC drivers answer "unknown" (-1) for the rows a statement changed.
// Taking that for a success or for "no row matched" would be a guess, so the
// database is asked; when it cannot be, the action stops with an error.
int rowsChanged(int reported, const std::function<std::optional<int>()>& ask) {
    if (reported >= 0)
        return reported;
    if (const auto asked = ask())
        return *asked;
    throw Error(QStringLiteral("The database did not say how many rows the statement changed."));
}

RowCursor ScreenDb::query(const QString& sql, const Params& params) {
    StatementRecorder::instance().record(sql);
    auto q = run(sql, params, true);
    std::erase_if(m_cursors, [](const auto& c) { return c.expired(); });
    m_cursors.push_back(q);
    return RowCursor(std::move(q));
}

void ScreenDb::bindGrid(GridModel& grid, const QString& sql, const Params& params) {
    if (m_depth == 0)
        throw Error(closedMessage());
    StatementRecorder::instance().record(sql);
    if (sqlite3* handle = sqliteHandle(connection(m_name))) {
        finishLiveCursor();
        passTestHook();
        SqliteStatement st(handle, sql);
        st.bind(params);
        st.copyInto(grid);
        return;
    }
    std::shared_ptr<QSqlQuery> q;
    if (m_settings.backend == Backend::PostgreSql) {
        finishLiveCursor();
        passTestHook();
        if (bindPostgreSqlGrid(connection(m_name), grid, sql, params))
            return;
        q = runCounted(sql, params, true);
    } else {
        q = run(sql, params, true);
    }
    const QSqlRecord record = q->record();
    QStringList names;
    for (int c = 0; c < record.count(); ++c)
        names << record.fieldName(c);
    if (m_settings.backend == Backend::PostgreSql)
        names = schema::spelledAsDefined(sql, names);
    grid.beginFill(names);
    while (fetchNext(*q))
        for (int c = 0; c < record.count(); ++c)
            grid.appendCell(fieldText(q->value(c)));
    grid.endFill();
}

void ScreenDb::begin(bool writeLock) {
    if (m_depth == 0)
        throw Error(closedMessage());
    if (m_settings.backend == Backend::Sqlite) {
        run(writeLock ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"), {}, true);
    } else if (!connection(m_name).transaction()) {
        throw Error(errorText(connection(m_name).lastError()));
    }
    m_inTransaction = true;
}

// A server's row locks do not keep another desk from adding the row a check
// looks for, so the check takes a lock on what it checks instead.
void ScreenDb::claim(Claim what, const QString& key) {
    const QString sql = claimSql(m_settings.backend);
    if (sql.isEmpty())
        return;
    if (!m_inTransaction)
        throw Error(QStringLiteral("A CLAIM NEEDS A TRANSACTION"));
    const QString folded = key.trimmed().toCaseFolded();
    const QString number = QString::number(static_cast<int>(what));
    if (m_settings.backend == Backend::PostgreSql)
        run(sql, {text(number), text(folded)}, true)->finish();
    else
        run(sql, {text(number + QLatin1Char(':') + folded.left(240))}, true)->finish();
}

// A commit that fails leaves the transaction open, so the caller's rollback
// still ends it; otherwise a connection shared with a waiting action would
// stay inside the failed transaction.
void ScreenDb::commit() {
    if (!m_inTransaction)
        return;
    if (m_settings.backend == Backend::Sqlite)
        run(QStringLiteral("COMMIT"), {}, true);
    else if (passTestHook(); !connection(m_name).commit())
        throw Error(errorText(connection(m_name).lastError()));
    m_inTransaction = false;
}

void ScreenDb::rollback() {
    if (!m_inTransaction)
        return;
    m_inTransaction = false;
    if (m_settings.backend == Backend::Sqlite)
        run(QStringLiteral("ROLLBACK"), {}, true);
    else
        connection(m_name).rollback();
}

} // namespace db
