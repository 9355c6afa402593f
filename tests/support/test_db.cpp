#include "support/test_db.h"

#include "core/config.h"
#include "db/dialect.h"
#include "db/error.h"
#include "db/row_cursor.h"
#include "db/schema.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

#include <functional>

namespace support {

namespace {

QString pgStateFile() {
    return qEnvironmentVariable("ZELCRM_TEST_PG_STATE");
}

QString pgSocketFolder() {
    QFile state(pgStateFile());
    if (!state.open(QIODevice::ReadOnly))
        throw db::Error(QStringLiteral("No PostgreSQL test cluster: %1 cannot be read (the "
                                       "cluster is started by ctest's pg_cluster fixture)")
                            .arg(pgStateFile()));
    return QString::fromUtf8(state.readAll()).trimmed();
}

// A connection made for one statement and removed after it.
class Connection {
public:
    Connection(const QString& driver, const std::function<void(QSqlDatabase&)>& setUp)
        : m_name(QStringLiteral("testdb-") + QUuid::createUuid().toString()) {
        QSqlDatabase conn = QSqlDatabase::addDatabase(driver, m_name);
        setUp(conn);
        if (!conn.open())
            throw db::Error(conn.lastError().text());
    }
    ~Connection() { QSqlDatabase::removeDatabase(m_name); }
    QSqlDatabase get() const { return QSqlDatabase::database(m_name, false); }

private:
    QString m_name;
};

void runOn(const QSqlDatabase& conn, const QString& sql, const QVariantList& params,
           QStringList* out) {
    QSqlQuery q(conn);
    q.setForwardOnly(true);
    // PostgreSQL prepares only queries; a statement without values (a
    // fixture script, CREATE DATABASE) runs as it stands.
    const bool ran = params.isEmpty() ? q.exec(sql) : q.prepare(sql) && [&] {
        for (const QVariant& p : params)
            q.addBindValue(p);
        return q.exec();
    }();
    if (!ran)
        throw db::Error(q.lastError().text() + QStringLiteral(" in: ") + sql);
    while (out && q.next()) {
        QStringList fields;
        for (int i = 0; i < q.record().count(); ++i)
            fields << db::fieldText(q.value(i));
        out->append(fields.join(QLatin1Char('|')));
    }
}

void pgAdmin(const QString& host, const QString& sql) {
    const Connection conn(QStringLiteral("QPSQL"), [&](QSqlDatabase& c) {
        c.setHostName(host);
        c.setDatabaseName(QStringLiteral("postgres"));
        c.setUserName(QStringLiteral("postgres"));
    });
    runOn(conn.get(), sql, {}, nullptr);
}

} // namespace

bool TestDb::onPostgreSql() {
    return !pgStateFile().isEmpty();
}

TestDb::TestDb() {
    if (!onPostgreSql()) {
        db::createSqliteDatabase(path());
        db::createSqliteDatabase(secondaryPath());
        return;
    }
    m_pgHost = pgSocketFolder();
    m_pgDatabase = QStringLiteral("zt_") + QUuid::createUuid().toString(QUuid::Id128).left(20);
    for (const QString& name : {m_pgDatabase, m_pgDatabase + QStringLiteral("_s")})
        pgAdmin(m_pgHost, QStringLiteral("CREATE DATABASE %1 TEMPLATE zel_template").arg(name));
}

TestDb::~TestDb() {
    if (m_pgDatabase.isEmpty())
        return;
    try {
        for (const QString& name : {m_pgDatabase, m_pgDatabase + QStringLiteral("_s")})
            pgAdmin(m_pgHost, QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
    } catch (const db::Error& e) {
        qWarning("%s", qPrintable(e.message()));
    }
}

void TestDb::loseDatabase() const {
    if (backend() == db::Backend::Sqlite) {
        QFile::rename(path(), path() + QStringLiteral(".away"));
        return;
    }
    pgAdmin(m_pgHost,
            QStringLiteral("ALTER DATABASE %1 ALLOW_CONNECTIONS false").arg(m_pgDatabase));
    pgAdmin(m_pgHost, QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                                     "datname='%1'")
                          .arg(m_pgDatabase));
}

void TestDb::restoreDatabase() const {
    if (backend() == db::Backend::Sqlite) {
        QFile::rename(path() + QStringLiteral(".away"), path());
        return;
    }
    pgAdmin(m_pgHost, QStringLiteral("ALTER DATABASE %1 ALLOW_CONNECTIONS true").arg(m_pgDatabase));
}

QString TestDb::lostDatabaseMessage() const {
    return backend() == db::Backend::Sqlite ? QStringLiteral("not found")
                                            : QStringLiteral("not currently accepting connections");
}

db::Backend TestDb::backend() const {
    return m_pgDatabase.isEmpty() ? db::Backend::Sqlite : db::Backend::PostgreSql;
}

QString TestDb::path() const {
    return m_dir.filePath(QStringLiteral("primary.db"));
}
QString TestDb::secondaryPath() const {
    return m_dir.filePath(QStringLiteral("secondary.db"));
}

QHash<QString, QString> TestDb::configValues() const {
    if (backend() == db::Backend::Sqlite)
        return {
            {QStringLiteral("database/backend"), QStringLiteral("sqlite")},
            {QStringLiteral("database/sqlite_path"), path()},
            {QStringLiteral("database/secondary_sqlite_path"), secondaryPath()},
        };
    return {
        {QStringLiteral("database/backend"), QStringLiteral("postgresql")},
        {QStringLiteral("database/primary_server"), m_pgHost},
        {QStringLiteral("database/secondary_server"), m_pgHost},
        {QStringLiteral("database/status_server"), m_pgHost},
        {QStringLiteral("database/pg_database"), m_pgDatabase},
        {QStringLiteral("database/pg_secondary_database"), m_pgDatabase + QStringLiteral("_s")},
        {QStringLiteral("database/pg_user"), QStringLiteral("postgres")},
    };
}

db::DbSettings TestDb::settings() const {
    return db::DbSettings::fromConfig(core::Config::fromValues(configValues()));
}

void TestDb::exec(const QString& sql, const QVariantList& params) const {
    run(false, sql, params, nullptr);
}

void TestDb::execSecondary(const QString& sql, const QVariantList& params) const {
    run(true, sql, params, nullptr);
}

QStringList TestDb::rows(const QString& sql, const QVariantList& params) const {
    QStringList out;
    run(false, sql, params, &out);
    return out;
}

QStringList TestDb::rowsSecondary(const QString& sql, const QVariantList& params) const {
    QStringList out;
    run(true, sql, params, &out);
    return out;
}

QString TestDb::scalar(const QString& sql, const QVariantList& params) const {
    const QStringList r = rows(sql, params);
    return r.isEmpty() ? QString() : r.first().section(QLatin1Char('|'), 0, 0);
}

void TestDb::refuse(const QString& table, const QString& event, const QString& message) const {
    const QString name = QStringLiteral("refuse_%1_%2").arg(table, event).toLower();
    QString quoted = message;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    if (backend() == db::Backend::Sqlite) {
        exec(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 BEGIN SELECT RAISE(ABORT, '%4'); "
                            "END")
                 .arg(name, event, table, quoted));
        return;
    }
    exec(QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN RAISE "
                        "EXCEPTION '%2'; END$$")
             .arg(name, quoted));
    exec(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW EXECUTE FUNCTION %1()")
             .arg(name, event, table));
}

void TestDb::recordUpdates(const QString& table, const QString& ofColumn, const QString& condition,
                           const QString& column, const QString& into) const {
    exec(QStringLiteral("create table %1 (value text)").arg(into));
    const QString name = QStringLiteral("record_") + into;
    if (backend() == db::Backend::Sqlite) {
        exec(QStringLiteral("create trigger %1 after update of %2 on %3 when %4 begin insert into "
                            "%5 values (new.%6); end")
                 .arg(name, ofColumn, table, condition, into, column));
        return;
    }
    exec(QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN INSERT "
                        "INTO %2 VALUES (new.%3); RETURN NULL; END$$")
             .arg(name, into, column));
    exec(QStringLiteral("CREATE TRIGGER %1 AFTER UPDATE OF %2 ON %3 FOR EACH ROW WHEN (%4) "
                        "EXECUTE FUNCTION %1()")
             .arg(name, ofColumn, table, condition));
}

void TestDb::stopRefusing(const QString& table, const QString& event) const {
    const QString name = QStringLiteral("refuse_%1_%2").arg(table, event).toLower();
    if (backend() == db::Backend::Sqlite) {
        exec(QStringLiteral("DROP TRIGGER %1").arg(name));
        return;
    }
    exec(QStringLiteral("DROP TRIGGER %1 ON %2").arg(name, table));
    exec(QStringLiteral("DROP FUNCTION %1()").arg(name));
}

void TestDb::run(bool secondary, const QString& sql, const QVariantList& params,
                 QStringList* out) const {
    if (backend() == db::Backend::Sqlite) {
        const Connection conn(QStringLiteral("QSQLITE"), [&](QSqlDatabase& c) {
            c.setDatabaseName(secondary ? secondaryPath() : path());
            c.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        });
        runOn(conn.get(), sql, params, out);
        return;
    }
    const Connection conn(QStringLiteral("QPSQL"), [&](QSqlDatabase& c) {
        c.setHostName(m_pgHost);
        c.setDatabaseName(secondary ? m_pgDatabase + QStringLiteral("_s") : m_pgDatabase);
        c.setUserName(QStringLiteral("postgres"));
    });
    // Fixtures read rows back in the order they were written ("order by
    // rowid"); on PostgreSQL that is the rows' place in the table, which
    // holds for rows nobody has updated since.
    static const QRegularExpression rowid(QStringLiteral("\\border by rowid\\b"),
                                          QRegularExpression::CaseInsensitiveOption);
    QString text = db::postgreSqlText(sql);
    text.replace(rowid, QStringLiteral("order by ctid"));
    // A fixture that gives a row its number (an FT number, a complaint id)
    // leaves the identity behind it; the next row the screen adds must
    // still get a new number, as on the other backends. The rows' numbers
    // are read back as the insert stored them.
    static const QRegularExpression insert(QStringLiteral("\\binsert\\s+into\\s+(\\w+)"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QString table = insert.match(sql).captured(1);
    const QString identity = out || table.isEmpty() ? QString() : db::identityColumn(table);
    if (identity.isEmpty())
        return runOn(conn.get(), text, params, out);
    QStringList numbers;
    runOn(conn.get(), text + QStringLiteral(" RETURNING \"%1\"").arg(identity.toLower()), params,
          &numbers);
    qint64 highest = 0;
    for (const QString& number : std::as_const(numbers))
        highest = std::max(highest, number.toLongLong());
    if (highest > 0)
        runOn(conn.get(), db::postgreSqlIdentityPast(table, highest), {}, nullptr);
}

} // namespace support
