#pragma once

#include "core/config.h"
#include "db/db_settings.h"

#include <QString>
#include <QStringList>

namespace app {

// What start-up found: the configuration and the database settings, or the
// reason the client cannot start.
struct Startup {
    core::Config config;
    db::DbSettings database;
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// Reads the configuration named on the command line (or the default one)
// and checks that the database is one this client can use.
Startup loadStartup(const QStringList& arguments);

// True when a graphical session is available to show windows on.
bool haveDisplay();

} // namespace app
