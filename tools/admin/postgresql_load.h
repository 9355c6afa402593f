#pragma once

#include <QString>
#include <QtGlobal>

namespace admin {

// The PostgreSQL side of zelcrm-admin. `conninfo` is libpq's connection text
// in its "key=value ..." form, e.g. "host=/run/postgresql dbname=zelcrm
// user=zelcrm" (a password comes from ~/.pgpass or PGPASSFILE, not the
// command line). Every failure throws db::Error naming what failed; each
// command runs in one transaction, so a failure leaves nothing half made.

// Creates every table and index in the (empty) database.
void createPostgreSqlSchema(const QString& conninfo);

// Copies every row of every table of the SQLite file into the database,
// whose tables must exist and hold none of those rows yet, then moves each
// identity past the numbers loaded. Returns the number of rows copied.
qint64 copyIntoPostgreSql(const QString& sqlitePath, const QString& conninfo);

} // namespace admin
