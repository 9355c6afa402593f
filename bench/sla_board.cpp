// Opens the SLA board on a database, as the menu's "SLA" does, and reports
// how long it took until the board was on screen with its grid of outages
// not closed. bench/sla_board.sh compares it with the sqlite3 shell printing
// the same answer.
#include "core/clock.h"
#include "core/config.h"
#include "core/session.h"
#include "core/workstation.h"
#include "db/db_settings.h"
#include "failing_dialogs.h"
#include "faults/sla_board_form.h"
#include "ui/query_grid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: sla_board DATABASE\n");
        return 2;
    }
    const core::Config config = core::Config::fromValues(
        {{QStringLiteral("database/backend"), QStringLiteral("sqlite")},
         {QStringLiteral("database/sqlite_path"), QString::fromLocal8Bit(argv[1])}});
    const db::DbSettings settings = db::DbSettings::fromConfig(config);
    core::Session session;
    const core::SystemClock clock;
    bench::FailingDialogs dialogs;
    const core::SystemAdapters adapters;
    core::AppContext context{config, settings, session, clock, dialogs, adapters};

    QElapsedTimer timer;
    timer.start();
    faults::SlaBoardForm board(context);
    board.show();
    QCoreApplication::processEvents();
    const double seconds = timer.nsecsElapsed() / 1e9;

    const auto* grid = board.findChild<ui::QueryGrid*>(QStringLiteral("MSHFlexGrid1"));
    std::printf("rows %d seconds %.4f\n", grid->gridModel().rowCount(), seconds);
    return dialogs.failed ? 1 : 0;
}
