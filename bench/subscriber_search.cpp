// Runs the complaint register's subscriber search, through the screen itself,
// for subscribers spread over the whole table, by id, indicator, billing
// account and mobile in turn, and reports the median time of one search.
// bench/subscriber_search.sh compares a small database with a large one.
#include "bench_context.h"
#include "complaints/complaint_register_form.h"
#include "db/screen_db.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cstdio>

namespace {

// Search texts for `count` subscribers spread evenly over the table: id,
// indicator, BA and mobile taken in turn.
QStringList searchTexts(const db::DbSettings& settings, int count) {
    db::ScreenDb screen(settings);
    screen.open();
    const qint64 rows =
        screen.query(QStringLiteral("select max(rowid) from cdata")).field(0).toLongLong();
    QStringList texts;
    const QStringList columns = {QStringLiteral("ID"), QStringLiteral("indicator"),
                                 QStringLiteral("BA"), QStringLiteral("Mobile")};
    for (int k = 0; k < count && rows > 0; ++k) {
        const qint64 rowid = 1 + rows * k / count;
        const auto row = screen.query(QStringLiteral("select * from cdata where rowid=?"),
                                      {db::number(QString::number(rowid))});
        if (!row.atEnd())
            texts << row.field(columns.at(k % columns.size()));
    }
    screen.close();
    return texts;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: subscriber_search DATABASE [SEARCHES]\n");
        return 2;
    }
    const int searches = argc > 2 ? std::max(4, std::atoi(argv[2])) : 400;
    bench::SqliteContext setup(QString::fromLocal8Bit(argv[1]));
    setup.session.setSignedInUser(QStringLiteral("BENCH"));
    core::AppContext& context = setup.context;

    const QStringList texts = searchTexts(setup.settings, searches);
    complaints::ComplaintRegisterForm form(context);
    auto* text1 = form.findChild<QLineEdit*>(QStringLiteral("Text1"));
    auto* search = form.findChild<QPushButton*>(QStringLiteral("Command8"));
    const auto run = [&](const QString& text) {
        text1->setText(text);
        search->click();
    };
    // Warm the page cache and the statement paths first.
    for (int i = 0; i < std::min<int>(20, int(texts.size())); ++i)
        run(texts.at(i));

    QList<double> ms;
    QElapsedTimer timer;
    for (const QString& text : texts) {
        timer.start();
        run(text);
        ms << timer.nsecsElapsed() / 1e6;
    }
    if (setup.dialogs.failed || ms.isEmpty())
        return 1;
    std::sort(ms.begin(), ms.end());
    double total = 0;
    for (double m : ms)
        total += m;
    std::printf("searches %d median_ms %.3f mean_ms %.3f\n", int(ms.size()), ms.at(ms.size() / 2),
                total / ms.size());
    return 0;
}
