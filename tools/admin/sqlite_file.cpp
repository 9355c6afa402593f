#include "sqlite_file.h"

#include "db/error.h"

#include <sqlite3.h>

namespace admin {

SqliteFile::SqliteFile(const QString& path, bool create) {
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr) != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_close(m_db);
        m_db = nullptr;
        throw db::Error(QStringLiteral("Cannot open %1: %2").arg(path, message));
    }
    sqlite3_busy_timeout(m_db, 5000);
}

SqliteFile::~SqliteFile() {
    sqlite3_close(m_db);
}

void SqliteFile::exec(const QString& sql) {
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const QString text = QString::fromUtf8(message);
        sqlite3_free(message);
        throw db::Error(text);
    }
}

void SqliteFile::fail(const QString& context) const {
    throw db::Error(context + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(m_db)));
}

Statement::Statement(const SqliteFile& file, const QString& sql)
    : m_file(file) {
    if (sqlite3_prepare_v2(file.handle(), sql.toUtf8().constData(), -1, &m_stmt, nullptr) !=
        SQLITE_OK)
        file.fail(sql);
}

Statement::~Statement() {
    sqlite3_finalize(m_stmt);
}

void Statement::bindText(int index, std::string_view text) {
    if (sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_STATIC) != SQLITE_OK)
        m_file.fail(QStringLiteral("bind"));
}

void Statement::bindInt(int index, long long value) {
    if (sqlite3_bind_int64(m_stmt, index, value) != SQLITE_OK)
        m_file.fail(QStringLiteral("bind"));
}

void Statement::bindNull(int index) {
    if (sqlite3_bind_null(m_stmt, index) != SQLITE_OK)
        m_file.fail(QStringLiteral("bind"));
}

bool Statement::step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        m_file.fail(QString::fromUtf8(sqlite3_sql(m_stmt)));
    return false;
}

void Statement::run() {
    while (step()) {
    }
    reset();
}

void Statement::reset() {
    sqlite3_reset(m_stmt);
}

QString Statement::columnText(int index) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, index));
    return text ? QString::fromUtf8(text) : QString();
}

} // namespace admin
