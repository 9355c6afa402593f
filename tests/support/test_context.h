#pragma once

#include "core/app_context.h"
#include "core/config.h"
#include "core/session.h"
#include "db/db_settings.h"
#include "support/fake_adapters.h"
#include "support/recording_programs.h"
#include "support/scripted_dialogs.h"
#include "support/settable_clock.h"
#include "support/test_db.h"
#include "ui/screen_registry.h"

#include <QHash>
#include <memory>

namespace support {

// Everything a screen needs, wired to test doubles: a temporary database,
// scripted dialogs, a settable clock and a configuration pointing at the
// database, and a workstation with one network adapter. Extra configuration keys
// ("services/sms_gateway") can be given.
class TestContext {
public:
    explicit TestContext(const QHash<QString, QString>& extraConfig = {});

    core::AppContext& app() { return m_app; }
    TestDb& db() { return m_db; }
    ScriptedDialogs& dialogs() { return m_dialogs; }
    SettableClock& clock() { return m_clock; }
    core::Session& session() { return m_session; }
    FakeAdapters& adapters() { return m_adapters; }
    RecordingPrograms& programs() { return m_programs; }
    // Where the screens built afterwards connect (e.g. a database that is gone).
    db::DbSettings& database() { return m_database; }
    const core::Config& config() const { return m_config; }
    ui::ScreenRegistry& screens() { return m_screens; }

private:
    TestDb m_db;
    core::Config m_config;
    db::DbSettings m_database;
    core::Session m_session;
    SettableClock m_clock;
    ScriptedDialogs m_dialogs;
    FakeAdapters m_adapters;
    RecordingPrograms m_programs;
    ui::ScreenRegistry m_screens;
    core::AppContext m_app;
};

} // namespace support
