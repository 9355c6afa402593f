#include "support/test_db.h"

#include "db/error.h"
#include "db/row_cursor.h"
#include "db/schema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

namespace support {

TestDb::TestDb() {
    db::createSqliteDatabase(path());
    db::createSqliteDatabase(secondaryPath());
}

TestDb::~TestDb() = default;

QString TestDb::path() const {
    return m_dir.filePath(QStringLiteral("primary.db"));
}
QString TestDb::secondaryPath() const {
    return m_dir.filePath(QStringLiteral("secondary.db"));
}

db::DbSettings TestDb::settings() const {
    db::DbSettings s;
    s.backend = db::Backend::Sqlite;
    s.sqlitePath = path();
    s.secondarySqlitePath = secondaryPath();
    return s;
}

void TestDb::exec(const QString& sql, const QVariantList& params) const {
    run(path(), sql, params, nullptr);
}

void TestDb::execSecondary(const QString& sql, const QVariantList& params) const {
    run(secondaryPath(), sql, params, nullptr);
}

QStringList TestDb::rows(const QString& sql, const QVariantList& params) const {
    QStringList out;
    run(path(), sql, params, &out);
    return out;
}

QStringList TestDb::rowsSecondary(const QString& sql, const QVariantList& params) const {
    QStringList out;
    run(secondaryPath(), sql, params, &out);
    return out;
}

QString TestDb::scalar(const QString& sql, const QVariantList& params) const {
    const QStringList r = rows(sql, params);
    return r.isEmpty() ? QString() : r.first().section(QLatin1Char('|'), 0, 0);
}

void TestDb::run(const QString& file, const QString& sql, const QVariantList& params,
                 QStringList* out) const {
    const QString name = QStringLiteral("testdb-") + QUuid::createUuid().toString();
    {
        QSqlDatabase conn = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        conn.setDatabaseName(file);
        conn.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!conn.open())
            throw db::Error(conn.lastError().text());
        QSqlQuery q(conn);
        q.setForwardOnly(true);
        if (!q.prepare(sql))
            throw db::Error(q.lastError().text() + QStringLiteral(" in: ") + sql);
        for (const QVariant& p : params)
            q.addBindValue(p);
        if (!q.exec())
            throw db::Error(q.lastError().text() + QStringLiteral(" in: ") + sql);
        while (out && q.next()) {
            QStringList fields;
            for (int i = 0; i < q.record().count(); ++i)
                fields << db::fieldText(q.value(i));
            out->append(fields.join(QLatin1Char('|')));
        }
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace support
