#pragma once

#include "db/db_settings.h"

#include <QString>

namespace db {

// The schema version this client is built for; a SQLite database records its
// own in PRAGMA user_version.
constexpr int schemaVersion = 1;

// The statements that create every table and index on a backend, made from
// the one schema definition (schema_definition.cpp).
QString schemaScript(Backend backend);

// Creates a new SQLite database file with the whole schema and records the
// schema version. Throws db::Error when the file exists or cannot be written.
void createSqliteDatabase(const QString& path);

// Refuses a SQLite database written by a newer client (db::Error with a
// message that says so).
void checkSqliteVersion(const QString& path);

// Splits a script into single statements at the ';' that ends a line.
QStringList splitStatements(const QString& script);

} // namespace db
