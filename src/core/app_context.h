#pragma once

namespace ui {
class Dialogs;
class ScreenRegistry;
} // namespace ui

namespace core {

class Config;
class Clock;
class Session;

// What every screen shares. Handed to each screen's constructor, so a test can
// build any screen alone with its own clock, dialogs and database.
struct AppContext {
    const Config& config;
    Session& session;
    const Clock& clock;
    ui::Dialogs& dialogs;
    ui::ScreenRegistry* screens = nullptr;
};

} // namespace core
