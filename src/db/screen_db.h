#pragma once

#include "db/db_settings.h"
#include "db/row_cursor.h"
#include "db/values.h"

#include <QString>

#include <functional>
#include <optional>

namespace db {

class GridModel;

// One screen's database handle: one connection, open only while an action
// runs. The connection has at most one live result set: starting a statement
// finishes the cursor a query left open, and reading that cursor afterwards
// throws db::Error. open()/close() nest: an action that starts while another of the same
// screen waits on a web page shares the open connection, and only the last
// close() really closes it. Every failure throws db::Error.
class ScreenDb {
public:
    explicit ScreenDb(DbSettings settings);
    ~ScreenDb();
    ScreenDb(const ScreenDb&) = delete;
    ScreenDb& operator=(const ScreenDb&) = delete;

    void open();
    // The secondary server; only while the connection is not already open
    // on the primary.
    void openSecondary();
    void close();
    // How many open() calls are not yet closed; the action policies use it to
    // unwind an action that stopped half way.
    int depth() const { return m_depth; }
    void closeTo(int depth);
    bool isOpen() const { return m_depth > 0; }

    int execute(const QString& sql, const Params& params = {});
    RowCursor query(const QString& sql, const Params& params = {});
    // Runs the SELECT and copies its whole answer into the grid model.
    void bindGrid(GridModel& grid, const QString& sql, const Params& params = {});

    // Statements that must not be left half done. begin(true) starts a
    // transaction that will write: SQLite takes its one write lock at once
    // (BEGIN IMMEDIATE), so a check read inside cannot race another
    // workstation's write.
    void begin(bool writeLock = false);
    // A check-then-write names what it checks, first thing in its
    // transaction: on a server, transactions that claim the same thing (the
    // same subscriber id, say) wait for each other to the end, so the row the
    // check looks for cannot appear between the check and the write, while
    // desks checking other things go on at once. The key is compared without
    // regard to case or surrounding blanks, as the server compares ids.
    // SQLite's BEGIN IMMEDIATE already holds everything.
    void claim(Claim what, const QString& key);
    void commit();
    void rollback();

    const DbSettings& settings() const { return m_settings; }
    Backend backend() const { return m_settings.backend; }

private:
    void openOn(bool secondary);
    bool openKeptSession(bool secondary);
    // SQL Server without MARS keeps one result set per connection: the cursor
    // still open is finished before anything else runs on the connection.
    void finishLiveCursor();
    std::optional<int> askRowsChanged();
    void releaseCursors();
    std::shared_ptr<QSqlQuery> run(const QString& sql, const Params& params, bool forwardOnly);
    std::shared_ptr<QSqlQuery> runCounted(const QString& sql, const Params& params,
                                          bool forwardOnly);
    QString m_name;
    DbSettings m_settings;
    int m_depth = 0;
    bool m_secondary = false;
    bool m_inTransaction = false;
    std::weak_ptr<QSqlQuery> m_live;
    std::vector<std::weak_ptr<QSqlQuery>> m_cursors;
    QString m_rowsChangedSql; // empty: the database cannot be asked
};

// The statements keep their quoted texts, where a value's closing quote often
// touches the next word ("PASSWORD='x'WHERE"). With the value turned into a
// `?`, Qt would read "?WHERE" as a named placeholder, so a blank goes between
// them; text inside quotes is left alone.
QString separatePlaceholders(const QString& sql);

// The rows a statement changed: the driver's count, or, when the driver
// answers "unknown" (-1), what `ask` gets from the database. Nothing from
// either throws db::Error rather than guess.
int rowsChanged(int reported, const std::function<std::optional<int>()>& ask);
// A test hook, inert unless a test arms it: proving that no write is left
// half done needs the database to fail at a chosen statement, which no real
// server does on request.
namespace testing {
// Makes the n-th statement run from now on (by any ScreenDb, counting from 1;
// BEGIN and COMMIT count on SQLite) throw db::Error instead of running.
// 0 disarms it. Either way the count of statementsRun() starts again.
void failStatement(int n);
// Statements run (or failed by the hook) since the last failStatement().
int statementsRun();
} // namespace testing

} // namespace db
