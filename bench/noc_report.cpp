// Runs the NOC performance report for one period on a database, the way the
// board's "NOC PERFORMANCE" does, and reports the median time of several
// runs. bench/noc_report.sh compares a large database with a small one.
#include "complaints/noc_report_form.h"
#include "core/clock.h"
#include "core/config.h"
#include "core/session.h"
#include "core/workstation.h"
#include "db/db_settings.h"
#include "ui/dialogs.h"
#include "ui/query_grid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class SilentDialogs final : public ui::Dialogs {
public:
    void message(const QString&, const QString&, ui::Icon) override {}
    bool askYesNo(const QString&, const QString&) override { return false; }
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: noc_report DATABASE START END [RUNS]\n");
        return 2;
    }
    const core::Config config = core::Config::fromValues(
        {{QStringLiteral("database/backend"), QStringLiteral("sqlite")},
         {QStringLiteral("database/sqlite_path"), QString::fromLocal8Bit(argv[1])}});
    const db::DbSettings settings = db::DbSettings::fromConfig(config);
    const QString start = QString::fromLocal8Bit(argv[2]);
    const QString end = QString::fromLocal8Bit(argv[3]);
    const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 21;
    core::Session session;
    const core::SystemClock clock;
    SilentDialogs dialogs;
    const core::SystemAdapters adapters;
    core::AppContext context{config, settings, session, clock, dialogs, adapters};

    complaints::NocReportForm report(context);
    std::vector<double> seconds;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        report.report(start, end);
        seconds.push_back(timer.nsecsElapsed() / 1e9);
    }
    std::sort(seconds.begin(), seconds.end());
    const auto label = [&](const char* name) {
        return report.findChild<QLabel*>(QString::fromLatin1(name))->text().toStdString();
    };
    std::printf("operators %d | %s | %s | %s\n", report.grid()->gridModel().rowCount(),
                label("Label1").c_str(), label("Label2").c_str(), label("Label3").c_str());
    std::printf("median seconds %.6f\n", seconds[seconds.size() / 2]);
    return 0;
}
