#pragma once

#include "db/db_settings.h"

#include <QString>
#include <QStringList>

namespace db {

// A statement as PostgreSQL must get it. The statements name tables and
// columns as SQL Server's collation lets them: in any case, and in brackets
// where a name has a blank or is a keyword ("[fault id]", "[user]"). The
// PostgreSQL schema folds every name to lower case, so a bracketed name
// becomes the same name quoted in lower case; plain names fold by themselves.
// Quoted texts in the statement are left alone.
QString postgreSqlText(const QString& sql);

// The identity column of a table of the schema (matched without regard to
// case), or empty when it has none.
QString identityColumn(const QString& table);

// After rows were given their own numbers up to `highest` (demo data, a
// migration, a test's fixture), moves the PostgreSQL identity of `table` on
// so the next new row gets a number above them; never back below a number
// already handed out.
QString postgreSqlIdentityPast(const QString& table, qint64 highest);

// The highest number the PostgreSQL identity of `table` has handed out or a
// stored row holds (0 for none): rows added with numbers of their own start
// past it.
QString postgreSqlIdentityHighest(const QString& table);

// The outages that went down yesterday, newest first. The server's text uses
// DATEDIFF/GETDATE; SQLite gets the same calendar-day difference on the local
// clock.
QString yesterdaysOutagesSql(Backend backend);

// The lock a check-then-write transaction takes on what it checks, held to
// the end of the transaction; two parameters: the claim's number and the
// key. PostgreSQL: an advisory lock on the key's hash (two keys sharing a
// hash only wait for each other); SQL Server: an application lock on the
// key's text, refused with an error rather than a return code. SQLite has
// none (its BEGIN IMMEDIATE holds the whole database): empty.
QString claimSql(Backend backend);

// The ids a new customer's user name could clash with. On SQL Server the read
// takes update and range locks that hold to the end of the transaction, so a
// second registration of the same name waits here until the first commits;
// SQLite's BEGIN IMMEDIATE already holds the whole database.
QString duplicateCandidatesSql(Backend backend);

// The subscriber's complaints that are not closed, read before a new one is
// logged. The read holds to the end of the write-locked transaction: update
// and range locks on SQL Server; PostgreSQL's and SQLite's write-locked
// transactions already keep a second desk out until the first commits.
QString openComplaintsSql(Backend backend);

// The insert `insert` ("INSERT INTO t(...) VALUES(...)") with the new row's
// key column `key` read back as its one answer, as the database itself gives
// it: SQL Server's OUTPUT INSERTED before the VALUES, RETURNING on SQLite and
// PostgreSQL. Another session's row stored at the same moment can never be
// taken for this one, as a MAX(...) read afterwards can be.
QString insertReturningKey(Backend backend, const QString& insert, const QString& key);

// The statement that asks the database how many rows the last statement on
// the connection changed, for a driver that answers "unknown" (-1). Chosen by
// the name the ODBC driver gives its database (SQL_DBMS_NAME); empty when the
// database is not one we know how to ask.
QString rowsChangedSql(const QString& dbmsName);

// The statement texts only SQLite or PostgreSQL runs, and their SQL Server
// counterparts: the statement recorder leaves the former out and adds the
// latter, so the grammar check sees every text SQL Server would get.
bool isOtherDialectText(const QString& sql);
QStringList serverOnlyTexts();
// The SQL Server text standing for an other-dialect text made from a
// statement of the caller's (an insert reading back its key); empty when
// the text has none.
QString sqlServerCounterpart(const QString& sql);

} // namespace db
