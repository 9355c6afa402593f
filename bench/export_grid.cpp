// Exports a grid of a query's answer the way the screens' "EXPORT" buttons do
// (clipboard text and a new workbook written on other threads; the
// spreadsheet program is not started) and, for comparison, has libxlsxwriter
// alone write the same cells, with the same kinds, from texts prepared
// beforehand. While the export runs, a 5 ms timer on the UI thread records
// the longest stretch in which the thread handled no event. Prints the
// median time of each over several runs and the longest pause of all runs.
#include "core/config.h"
#include "db/db_settings.h"
#include "db/grid_model.h"
#include "db/screen_db.h"
#include "integrations/external_programs.h"
#include "integrations/spreadsheet_export.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>
#include <xlsxwriter.h>

namespace {

// Remembers the workbook instead of opening it.
class NoPrograms final : public integrations::ExternalPrograms {
public:
    bool openUrl(const QUrl& url) override {
        opened = url.toLocalFile();
        return true;
    }
    bool start(const QString&, const QStringList&) override { return true; }
    QString opened;
};

// The grid's cells as plain C strings with the kind the export gives them.
struct PreparedCells {
    int rows = 0;
    int columns = 0;
    std::vector<std::string> header;
    std::vector<std::string> text;
    std::vector<double> number;
    std::vector<integrations::CellKind> kind;
};

PreparedCells prepare(const db::GridModel& grid) {
    PreparedCells cells;
    cells.rows = grid.rowCount();
    cells.columns = grid.columnCount();
    for (const QString& name : grid.columns())
        cells.header.push_back(name.toStdString());
    for (int r = 0; r < cells.rows; ++r)
        for (int c = 0; c < cells.columns; ++c) {
            const QString cell = grid.cell(r, c);
            cells.kind.push_back(integrations::cellKind(cell));
            cells.text.push_back(cell.toStdString());
            cells.number.push_back(cell.toDouble());
        }
    return cells;
}

// libxlsxwriter alone: the same sheet, nothing else.
void writeWithLibraryAlone(const PreparedCells& cells, const QString& path) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    for (int c = 0; c < cells.columns; ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), cells.header[size_t(c)].c_str(), nullptr);
    size_t at = 0;
    for (int r = 0; r < cells.rows; ++r)
        for (int c = 0; c < cells.columns; ++c, ++at) {
            const auto row = lxw_row_t(r + 1);
            switch (cells.kind[at]) {
            case integrations::CellKind::Empty:
                break;
            case integrations::CellKind::Number:
                worksheet_write_number(sheet, row, lxw_col_t(c), cells.number[at], nullptr);
                break;
            case integrations::CellKind::Text:
                worksheet_write_string(sheet, row, lxw_col_t(c), cells.text[at].c_str(), nullptr);
                break;
            }
        }
    workbook_close(book);
}

double seconds(const std::function<void()>& run) {
    QElapsedTimer timer;
    timer.start();
    run();
    return timer.nsecsElapsed() / 1e9;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The longest time between two events the UI thread handled, counting from
// the call and to its return.
class PauseMeter {
public:
    PauseMeter() {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { mark(); });
        m_timer.setTimerType(Qt::PreciseTimer);
    }
    void start() {
        m_clock.start();
        m_last = 0;
        m_timer.start(5);
    }
    void stop() {
        mark();
        m_timer.stop();
    }
    double longestSeconds() const { return m_longest / 1e9; }

private:
    void mark() {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: export_grid DATABASE SELECT [RUNS]\n");
        return 2;
    }
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    db::DbSettings settings;
    settings.sqlitePath = QString::fromLocal8Bit(argv[1]);
    db::ScreenDb screen(settings);
    db::GridModel grid;
    screen.open();
    screen.bindGrid(grid, QString::fromLocal8Bit(argv[2]));
    screen.close();

    QTemporaryDir dir;
    const PreparedCells cells = prepare(grid);
    const QString alone = dir.filePath(QStringLiteral("alone.xlsx"));
    const core::Config config;
    NoPrograms programs;
    PauseMeter pauses;
    // Turn about, so a change in the machine's load falls on both alike.
    std::vector<double> aloneRuns;
    std::vector<double> exportRuns;
    for (int i = 0; i < runs; ++i) {
        aloneRuns.push_back(seconds([&] { writeWithLibraryAlone(cells, alone); }));
        exportRuns.push_back(seconds([&] {
            pauses.start();
            integrations::exportGrid(grid, config, programs);
            pauses.stop();
        }));
        QFile::remove(programs.opened);
    }
    const double aloneSeconds = median(aloneRuns);
    const double exportSeconds = median(exportRuns);

    std::printf("rows %d columns %d xlsx_bytes %lld\n", grid.rowCount(), grid.columnCount(),
                static_cast<long long>(QFile(alone).size()));
    std::printf("library_alone %.4f export %.4f longest_ui_pause %.4f\n", aloneSeconds,
                exportSeconds, pauses.longestSeconds());
    return 0;
}
