#include "oltd/sqlite_statement.h"

#include "oltd/simulated_network.h"

#include <sqlite3.h>

namespace oltd::sim {

namespace {

[[noreturn]] void fail(sqlite3* db, const QString& what) {
    throw SimError(QStringLiteral("%1: %2").arg(what, QString::fromUtf8(sqlite3_errmsg(db))));
}

} // namespace

SqliteFile::SqliteFile(const QString& file) {
    if (sqlite3_open_v2(file.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        const QString why = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_close(m_db);
        throw SimError(QStringLiteral("cannot open the simulated network %1: %2").arg(file, why));
    }
    sqlite3_busy_timeout(m_db, 5000);
    // Pages look ONUs up all over a large network; mapping the file spares a
    // copy of every page read, and a larger cache keeps the indexes at hand.
    exec("PRAGMA mmap_size=1073741824");
    exec("PRAGMA cache_size=-65536");
}

SqliteFile::~SqliteFile() {
    sqlite3_close(m_db);
}

void SqliteFile::exec(const char* sql) {
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(m_db, QString::fromUtf8(sql));
}

Statement::Statement(const SqliteFile& db, const QString& sql)
    : m_db(db.handle()) {
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v3(m_db, text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT,
                           &m_stmt, nullptr) != SQLITE_OK)
        fail(m_db, sql);
}

Statement::~Statement() {
    sqlite3_finalize(m_stmt);
}

void Statement::restart() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

void Statement::bind(int index, const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void Statement::bind(int index, qint64 value) {
    sqlite3_bind_int64(m_stmt, index, value);
}

bool Statement::next() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE) {
        sqlite3_reset(m_stmt); // ends the read so a writer is never held up
        return false;
    }
    const QString why = QString::fromUtf8(sqlite3_errmsg(m_db));
    sqlite3_reset(m_stmt);
    throw SimError(QStringLiteral("the simulated network: %1").arg(why));
}

void Statement::finish() {
    sqlite3_reset(m_stmt);
}

int Statement::changes() const {
    return sqlite3_changes(m_db);
}

QString Statement::text(int column) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return p ? QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, column)) : QString();
}

qint64 Statement::integer(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

double Statement::real(int column) const {
    return sqlite3_column_double(m_stmt, column);
}

} // namespace oltd::sim
