#pragma once

#include <QString>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace admin {

// A plain sqlite3 connection. The admin tool works below Qt's driver: bulk
// loads need prepared statements bound without QVariant copies, and loading
// a script needs sqlite3_exec. Every failure throws db::Error with SQLite's
// message.
class SqliteFile {
public:
    // Opens an existing file; `create` also creates a missing one.
    SqliteFile(const QString& path, bool create);
    ~SqliteFile();
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    sqlite3* handle() const { return m_db; }
    // Runs one or more statements.
    void exec(const QString& sql);
    // Throws db::Error with `context` and the connection's last message.
    [[noreturn]] void fail(const QString& context) const;

private:
    sqlite3* m_db = nullptr;
};

// A prepared statement reused row after row. Bound texts are not copied:
// they must stay alive until step() has run.
class Statement {
public:
    Statement(const SqliteFile& file, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bindText(int index, std::string_view text);
    void bindInt(int index, long long value);
    void bindNull(int index);
    // Steps once; true while a row is available. Throws on an error.
    bool step();
    // Steps to the end and makes the statement ready for the next row.
    void run();
    void reset();
    QString columnText(int index) const;

private:
    const SqliteFile& m_file;
    sqlite3_stmt* m_stmt = nullptr;
};

} // namespace admin
