#pragma once

namespace db {
struct DbSettings;
}

namespace integrations {
class ExternalPrograms;
}

namespace ui {
class Dialogs;
class ScreenRegistry;
} // namespace ui

namespace core {

class AdapterSource;
class Config;
class Clock;
class Session;

// What every screen shares. Handed to each screen's constructor, so a test can
// build any screen alone with its own clock, dialogs and database.
struct AppContext {
    const Config& config;
    const db::DbSettings& database;
    Session& session;
    const Clock& clock;
    ui::Dialogs& dialogs;
    const AdapterSource& adapters;
    ui::ScreenRegistry* screens = nullptr;
    integrations::ExternalPrograms* programs = nullptr;
};

} // namespace core
