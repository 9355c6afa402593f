#pragma once

#include "core/app_context.h"
#include "core/clock.h"
#include "core/config.h"
#include "core/session.h"
#include "core/workstation.h"
#include "db/db_settings.h"
#include "failing_dialogs.h"

namespace bench {

// The configuration of one SQLite database file.
inline core::Config sqliteConfig(const QString& databasePath) {
    return core::Config::fromValues({{QStringLiteral("database/backend"), QStringLiteral("sqlite")},
                                     {QStringLiteral("database/sqlite_path"), databasePath}});
}

// A benchmark's database argument: an INI file (name ending in ".ini") whose
// [database] section names a server, as the client reads it, or else a SQLite
// database file.
inline core::Config configFor(const QString& databaseOrIni) {
    if (databaseOrIni.endsWith(QStringLiteral(".ini")))
        return core::Config::load(databaseOrIni);
    return sqliteConfig(databaseOrIni);
}

// What a screen needs to run against one database, as the benchmarks drive
// it: the system clock, the real adapters, and message boxes that mark the
// run void.
struct ScreenContext {
    explicit ScreenContext(const core::Config& databaseConfig)
        : config(databaseConfig)
        , settings(db::DbSettings::fromConfig(config)) {}

    core::Config config;
    db::DbSettings settings;
    core::Session session;
    core::SystemClock clock;
    FailingDialogs dialogs;
    core::SystemAdapters adapters;
    core::AppContext context{config, settings, session, clock, dialogs, adapters};
};

// The same on one SQLite database file.
struct SqliteContext : ScreenContext {
    explicit SqliteContext(const QString& databasePath)
        : ScreenContext(sqliteConfig(databasePath)) {}
};

} // namespace bench
