#include "support/test_context.h"

namespace support {

namespace {

core::Config configFor(const TestDb& db, const QHash<QString, QString>& extra) {
    QHash<QString, QString> values = db.configValues();
    values.insert(QStringLiteral("app/wait_limit_seconds"), QStringLiteral("5"));
    for (auto it = extra.begin(); it != extra.end(); ++it)
        values.insert(it.key(), it.value());
    return core::Config::fromValues(values, QStringLiteral("test.ini"));
}

} // namespace

TestContext::TestContext(const QHash<QString, QString>& extraConfig)
    : m_config(configFor(m_db, extraConfig))
    , m_database(db::DbSettings::fromConfig(m_config))
    , m_screens(nullptr)
    , m_app{m_config,  m_database, m_session,  m_clock,
            m_dialogs, m_adapters, &m_screens, &m_programs} {}

} // namespace support
