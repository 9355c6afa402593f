#include "db/schema.h"

#include "db/error.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <sqlite3.h>

namespace db {

namespace {

// A plain sqlite3 handle for the few things Qt's driver does not offer
// before the client opens the file (creation, user_version).
class RawSqlite {
public:
    RawSqlite(const QString& path, int flags) {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr) != SQLITE_OK) {
            const QString msg = QString::fromUtf8(sqlite3_errmsg(m_db));
            sqlite3_close(m_db);
            throw Error(QStringLiteral("Cannot open %1: %2").arg(path, msg));
        }
    }
    ~RawSqlite() { sqlite3_close(m_db); }
    void exec(const QString& sql) {
        char* err = nullptr;
        if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
            const QString msg = QString::fromUtf8(err);
            sqlite3_free(err);
            throw Error(msg);
        }
    }
    int userVersion() {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(m_db, "PRAGMA user_version", -1, &st, nullptr);
        const int v = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int(st, 0) : 0;
        sqlite3_finalize(st);
        return v;
    }

private:
    sqlite3* m_db = nullptr;
};

} // namespace

QStringList splitStatements(const QString& script) {
    QStringList out;
    QString current;
    const QStringList lines = script.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QString t = line.trimmed();
        if (t.startsWith(QLatin1String("--")) || (t.isEmpty() && current.isEmpty()))
            continue;
        current += line + QLatin1Char('\n');
        if (t.endsWith(QLatin1Char(';'))) {
            out << current.trimmed();
            current.clear();
        }
    }
    if (!current.trimmed().isEmpty())
        out << current.trimmed();
    return out;
}

void createSqliteDatabase(const QString& path) {
    if (QFileInfo::exists(path))
        throw Error(QStringLiteral("%1 already exists").arg(path));
    RawSqlite raw(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    raw.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    raw.exec(QStringLiteral("BEGIN"));
    raw.exec(schemaScript(Backend::Sqlite));
    raw.exec(QStringLiteral("PRAGMA user_version=%1").arg(schemaVersion));
    raw.exec(QStringLiteral("COMMIT"));
}

void checkSqliteVersion(const QString& path) {
    if (!QFileInfo::exists(path))
        throw Error(QStringLiteral("Database file %1 not found").arg(path));
    RawSqlite raw(path, SQLITE_OPEN_READONLY);
    const int version = raw.userVersion();
    if (version > schemaVersion)
        throw Error(QStringLiteral("The database %1 was written by a newer ZEL CRM (schema %2; "
                                   "this client knows schema %3). Update the client.")
                        .arg(path)
                        .arg(version)
                        .arg(schemaVersion));
}

} // namespace db
