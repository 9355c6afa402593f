// Opens a screen with a grid on a database, as the menu or the screen before
// it does, and reports how long it took until the screen was shown with its
// grid filled. The scripts beside it compare that with the database's own
// shell (sqlite3, psql) printing the same answer.
//   screen_open Form4|Form5|Form8 DATABASE|CLIENT.ini
// An INI file (name ending in ".ini") is read as the client reads its own:
// its [database] section names the server.
#include "bench_context.h"
#include "complaints/open_complaint_board_form.h"
#include "faults/site_fault_form.h"
#include "faults/sla_board_form.h"
#include "ui/query_grid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <exception>
#include <functional>
#include <memory>

namespace {

std::unique_ptr<QWidget> build(const QString& name, core::AppContext& context) {
    if (name == QLatin1String("Form4"))
        return std::make_unique<complaints::OpenComplaintBoardForm>(context);
    if (name == QLatin1String("Form5"))
        return std::make_unique<faults::SlaBoardForm>(context);
    if (name == QLatin1String("Form8"))
        return std::make_unique<faults::SiteFaultForm>(context);
    return nullptr;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: screen_open Form4|Form5|Form8 DATABASE|CLIENT.ini\n");
        return 2;
    }
    std::unique_ptr<bench::ScreenContext> run;
    try {
        run = std::make_unique<bench::ScreenContext>(
            bench::configFor(QString::fromLocal8Bit(argv[2])));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "screen_open: %s\n", e.what());
        return 2;
    }

    QElapsedTimer timer;
    timer.start();
    const std::unique_ptr<QWidget> screen = build(QString::fromLatin1(argv[1]), run->context);
    if (!screen) {
        std::fprintf(stderr, "screen_open: no screen %s\n", argv[1]);
        return 2;
    }
    screen->show();
    QCoreApplication::processEvents();
    const double seconds = timer.nsecsElapsed() / 1e9;

    const auto* grid = screen->findChild<ui::QueryGrid*>(QStringLiteral("MSHFlexGrid1"));
    std::printf("rows %d seconds %.4f\n", grid->gridModel().rowCount(), seconds);
    return run->dialogs.failed ? 1 : 0;
}
