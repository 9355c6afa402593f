#include "app/main_window.h"
#include "app/navigator.h"
#include "app/startup.h"
#include "core/clock.h"
#include "core/session.h"
#include "core/workstation.h"
#include "integrations/external_programs.h"
#include "ui/dialogs.h"
#include "ui/enter_navigation.h"
#include "ui/screen_registry.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    if (!app::haveDisplay()) {
        std::fprintf(stderr, "zelcrm: no display found (DISPLAY is not set). "
                             "On a machine without a desktop run: xvfb-run scripts/run\n");
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zelcrm"));
    ui::enterPressesButtons();

    const app::Startup startup = app::loadStartup(QApplication::arguments());
    ui::MessageBoxDialogs dialogs(startup.ok() ? startup.config.appTitle()
                                               : QStringLiteral("ZEL CRM"));
    if (!startup.ok()) {
        std::fprintf(stderr, "zelcrm: %s\n", qPrintable(startup.error));
        dialogs.message(startup.error, {}, ui::Icon::Critical);
        return 1;
    }

    core::Session session;
    core::SystemClock clock;
    core::SystemAdapters adapters;
    ui::ScreenRegistry screens;
    integrations::DesktopPrograms programs(startup.config.value(QStringLiteral("tools/browser")));
    core::AppContext context{startup.config, startup.database, session,  clock,
                             dialogs,        adapters,         &screens, &programs};

    app::Navigator navigator(context, app::standardMenu());
    navigator.showLogin();
    return QApplication::exec();
}
