// Chooses a circle on the user and AP status screen, as an operator does
// after choosing the service, and reports how long the choice took: the SSA
// list, the site grid and the tally of the circle's subscribers by state.
// bench/user_ap_status.sh compares it with the sqlite3 shell running the
// same status query.
#include "bench_context.h"
#include "masterdata/user_ap_status_form.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <cstdio>

namespace {

// Open the list, move to the entry, press Enter: a pick from the list.
bool choose(QWidget* screen, const char* box, const QString& entry) {
    auto* combo = screen->findChild<QComboBox*>(QString::fromLatin1(box));
    const int at = combo ? combo->findText(entry, Qt::MatchExactly) : -1;
    if (at < 0)
        return false;
    combo->showPopup();
    QAbstractItemView* list = combo->view();
    list->setCurrentIndex(combo->model()->index(at, combo->modelColumn(), combo->rootModelIndex()));
    QTest::keyClick(list, Qt::Key_Return);
    return combo->currentIndex() == at;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: user_ap_status DATABASE CIRCLE SERVICE\n");
        return 2;
    }
    bench::SqliteContext run(QString::fromLocal8Bit(argv[1]));
    core::AppContext& context = run.context;

    masterdata::UserApStatusForm screen(context);
    screen.show();
    QCoreApplication::processEvents();
    if (!choose(&screen, "Combo3", QString::fromLocal8Bit(argv[3])))
        return 1;

    QElapsedTimer timer;
    timer.start();
    if (!choose(&screen, "Combo1", QString::fromLocal8Bit(argv[2])))
        return 1;
    const double seconds = timer.nsecsElapsed() / 1e9;

    const auto* all = screen.findChild<QLabel*>(QStringLiteral("Label3"));
    std::printf("%s seconds %.4f\n", qPrintable(all->text()), seconds);
    return run.dialogs.failed ? 1 : 0;
}
