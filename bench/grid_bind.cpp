// Binds one query's answer into the grid model the screens use and reports
// how long it took and how many rows arrived. bench/grid_bind.sh compares it
// with the sqlite3 shell printing the same answer.
#include "db/db_settings.h"
#include "db/grid_model.h"
#include "db/screen_db.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: grid_bind DATABASE SELECT\n");
        return 2;
    }
    db::DbSettings settings;
    settings.sqlitePath = QString::fromLocal8Bit(argv[1]);
    db::ScreenDb screen(settings);
    db::GridModel grid;
    QElapsedTimer timer;
    timer.start();
    screen.open();
    screen.bindGrid(grid, QString::fromLocal8Bit(argv[2]));
    screen.close();
    std::printf("rows %d columns %d seconds %.3f\n", grid.rowCount(), grid.columnCount(),
                timer.elapsed() / 1000.0);
    return 0;
}
