#include "app/startup.h"

#include "db/error.h"
#include "db/schema.h"

#include <QProcessEnvironment>

namespace app {

Startup loadStartup(const QStringList& arguments) {
    Startup s;
    try {
        s.config = core::Config::load(core::Config::resolvePath(arguments));
        s.database = db::DbSettings::fromConfig(s.config);
        // Every wait reads it; a bad one is told before anybody waits.
        s.config.waitLimitSeconds();
        if (s.database.backend == db::Backend::Sqlite)
            db::checkSqliteVersion(s.database.sqlitePath);
    } catch (const core::ConfigError& e) {
        s.error = e.message();
    } catch (const db::Error& e) {
        s.error = e.message();
    }
    return s;
}

bool haveDisplay() {
    const auto env = QProcessEnvironment::systemEnvironment();
    const QString platform = env.value(QStringLiteral("QT_QPA_PLATFORM"));
    if (!platform.isEmpty() && !platform.startsWith(QLatin1String("xcb")) &&
        !platform.startsWith(QLatin1String("wayland")))
        return true; // offscreen, vnc, ... need no display
    return !env.value(QStringLiteral("DISPLAY")).isEmpty() ||
           !env.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
}

} // namespace app
