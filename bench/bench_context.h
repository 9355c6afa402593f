#pragma once

#include "core/app_context.h"
#include "core/clock.h"
#include "core/config.h"
#include "core/session.h"
#include "core/workstation.h"
#include "db/db_settings.h"
#include "failing_dialogs.h"

namespace bench {

// What a screen needs to run against one SQLite database file, as the
// benchmarks drive it: the system clock, the real adapters, and message
// boxes that mark the run void.
struct SqliteContext {
    explicit SqliteContext(const QString& databasePath)
        : config(core::Config::fromValues(
              {{QStringLiteral("database/backend"), QStringLiteral("sqlite")},
               {QStringLiteral("database/sqlite_path"), databasePath}}))
        , settings(db::DbSettings::fromConfig(config)) {}

    core::Config config;
    db::DbSettings settings;
    core::Session session;
    core::SystemClock clock;
    FailingDialogs dialogs;
    core::SystemAdapters adapters;
    core::AppContext context{config, settings, session, clock, dialogs, adapters};
};

} // namespace bench
