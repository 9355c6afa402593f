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

// Statements that move each identity of the PostgreSQL schema past the
// highest number its table holds, after rows were loaded with their own
// numbers (demo data, a migration, a test's fixture).
QStringList postgreSqlIdentityResync();

// The outages that went down yesterday, newest first. The server's text uses
// DATEDIFF/GETDATE; SQLite gets the same calendar-day difference on the local
// clock.
QString yesterdaysOutagesSql(Backend backend);

// The ids a new customer's user name could clash with. On SQL Server the read
// takes update and range locks that hold to the end of the transaction, so a
// second registration of the same name waits here until the first commits;
// SQLite's BEGIN IMMEDIATE already holds the whole database.
QString duplicateCandidatesSql(Backend backend);

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

} // namespace db
