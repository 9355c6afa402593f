#pragma once

#include <QString>

struct sqlite3;
struct sqlite3_stmt;

namespace oltd::sim {

// The simulated driver answers every page from a handful of prepared
// statements; going to SQLite directly keeps a page's lookups to a few
// microseconds, where Qt Sql rebuilds each answer's column record per call.
class SqliteFile {
public:
    explicit SqliteFile(const QString& file); // throws SimError
    ~SqliteFile();
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    void exec(const char* sql);
    sqlite3* handle() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

class Statement {
public:
    Statement(const SqliteFile& db, const QString& sql); // throws SimError
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Starts the statement afresh with these values bound in order.
    template <class... Values> Statement& run(const Values&... values) {
        restart();
        int i = 0;
        (bind(++i, values), ...);
        return *this;
    }
    void restart();
    void bind(int index, const QString& value);
    void bind(int index, qint64 value);
    void bind(int index, int value) { bind(index, qint64(value)); }
    bool next(); // true while a row is there; throws SimError on failure
    // Ends the read early, so the connection sees later changes.
    void finish();
    int changes() const;

    QString text(int column) const;
    qint64 integer(int column) const;
    double real(int column) const;

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

} // namespace oltd::sim
