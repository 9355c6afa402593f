// Exports a grid of a query's answer the way the screens' "EXPORT" buttons do
// (clipboard text and a new workbook; the spreadsheet program is not
// started) and, for comparison, writes the same cells as a plain CSV file.
// Prints the median time of each over several runs.
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
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

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

void appendCsvCell(QByteArray& out, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    if (!utf8.contains(',') && !utf8.contains('"') && !utf8.contains('\n') &&
        !utf8.contains('\r')) {
        out += utf8;
        return;
    }
    out += '"';
    for (const char c : utf8) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

void appendCsvRow(QByteArray& out, const QStringList& cells) {
    for (int c = 0; c < cells.size(); ++c) {
        if (c > 0)
            out += ',';
        appendCsvCell(out, cells.at(c));
    }
    out += "\r\n";
}

// The same cells, header first, as RFC 4180 CSV in UTF-8.
void writeCsv(const db::GridModel& grid, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write the CSV file");
    QByteArray buffer;
    appendCsvRow(buffer, grid.columns());
    QStringList cells;
    for (int r = 0; r < grid.rowCount(); ++r) {
        cells.clear();
        for (int c = 0; c < grid.columnCount(); ++c)
            cells << grid.cell(r, c);
        appendCsvRow(buffer, cells);
        if (buffer.size() > (1 << 20)) {
            file.write(buffer);
            buffer.clear();
        }
    }
    file.write(buffer);
}

double medianSeconds(int runs, const std::function<void()>& run) {
    std::vector<double> seconds;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        seconds.push_back(timer.nsecsElapsed() / 1e9);
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

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
    const QString csv = dir.filePath(QStringLiteral("grid.csv"));
    const double csvSeconds = medianSeconds(runs, [&] { writeCsv(grid, csv); });

    const core::Config config;
    NoPrograms programs;
    const double exportSeconds = medianSeconds(runs, [&] {
        integrations::exportGrid(grid, config, programs);
        QFile::remove(programs.opened);
    });

    // Where the export's time goes.
    const double clipboardSeconds =
        medianSeconds(runs, [&] { integrations::gridClipboardText(grid); });
    const QString xlsx = dir.filePath(QStringLiteral("grid.xlsx"));
    const double workbookSeconds =
        medianSeconds(runs, [&] { integrations::writeWorkbook(grid, xlsx); });

    std::printf("rows %d columns %d csv_bytes %lld\n", grid.rowCount(), grid.columnCount(),
                static_cast<long long>(QFile(csv).size()));
    std::printf("csv %.4f export %.4f clipboard_text %.4f workbook %.4f\n", csvSeconds,
                exportSeconds, clipboardSeconds, workbookSeconds);
    return 0;
}
