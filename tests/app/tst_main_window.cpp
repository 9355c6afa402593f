#include "app/login_form.h"
#include "app/main_window.h"
#include "app/navigator.h"
#include "app/password_change_form.h"
#include "support/strings.h"
#include "support/test_context.h"
#include "support/widgets.h"
#include "ui/query_grid.h"

#include <QAction>
#include <QComboBox>
#include <QCompleter>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTest>

namespace {

// A stand-in work screen: a window with one text box.
QWidget* scratchScreen(core::AppContext&) {
    auto* w = new QWidget;
    auto* edit = new QLineEdit(w);
    edit->setObjectName(QStringLiteral("Text1"));
    return w;
}

// What a screen shows, a screen reader announces and an operator types, as
// every screen must have it: data shown as plain text, a value label
// announced by its value, a list box introduced by its caption or a
// description, and typed text left alone.
QStringList conventionFaults(QWidget* screen) {
    QStringList faults;
    const QString form = screen->objectName() + QLatin1Char('.');
    QSet<const QWidget*> captioned;
    for (const QLabel* label : screen->findChildren<QLabel*>()) {
        if (label->buddy())
            captioned.insert(label->buddy());
        if (label->textFormat() != Qt::PlainText)
            faults << form + label->objectName() + QStringLiteral(" may render rich text");
        if (!label->accessibleName().isEmpty())
            faults << form + label->objectName() + QStringLiteral(" hides its value behind a name");
    }
    for (const QComboBox* box : screen->findChildren<QComboBox*>()) {
        if (!captioned.contains(box) && box->accessibleDescription().isEmpty())
            faults << form + box->objectName() + QStringLiteral(" has no caption or description");
        if (box->completer())
            faults << form + box->objectName() + QStringLiteral(" completes typed text");
    }
    if (screen->windowTitle().isEmpty())
        faults << form + QStringLiteral(" has no caption");
    return faults;
}

// Lets the layouts follow what just changed, as the event loop does.
void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// The whole text of a list box is in sight: with the cursor at its end, its
// first character is still at the box's left edge.
bool showsWholeText(QComboBox* box) {
    QLineEdit* edit = box->lineEdit();
    edit->end(false);
    edit->grab(); // the box scrolls its text as it paints
    return edit->cursorPositionAt(QPoint(edit->contentsRect().left() + 1, edit->height() / 2)) == 0;
}

QList<QRect> listPlaces(QWidget* screen) {
    QList<QRect> places;
    for (const QComboBox* box : screen->findChildren<QComboBox*>())
        places << QRect(box->mapTo(screen, QPoint()), box->size());
    return places;
}

int longestEntry(const QComboBox* box) {
    int longest = -1;
    for (int i = 0; i < box->count(); ++i)
        if (longest < 0 || box->itemText(i).size() > box->itemText(longest).size())
            longest = i;
    return longest;
}

// The list boxes of a screen that cut what they show, or that cut their
// longest entry or move a list when it is picked; a box held at the widest a
// list may be cuts what is longer.
QStringList listFaults(QWidget* screen) {
    QStringList faults;
    for (QComboBox* box : screen->findChildren<QComboBox*>()) {
        const QString name = screen->objectName() + QLatin1Char('.') + box->objectName();
        const QString shown = box->currentText();
        const auto showsWholeText = [box] {
            return box->width() == box->maximumWidth() || ::showsWholeText(box);
        };
        if (!showsWholeText())
            faults << name + QStringLiteral(" cuts ") + shown;
        const int longest = longestEntry(box);
        if (longest < 0)
            continue;
        const QList<QRect> places = listPlaces(screen);
        const int chosen = box->currentIndex();
        box->setCurrentIndex(longest);
        settle();
        if (!showsWholeText())
            faults << name + QStringLiteral(" cuts its entry ") + box->itemText(longest);
        if (listPlaces(screen) != places)
            faults << name + QStringLiteral(" moves the lists on picking ") +
                          box->itemText(longest);
        box->setCurrentIndex(chosen);
        box->setEditText(shown);
        settle();
    }
    return faults;
}

// The grid's columns narrower than their header or a value, unless held at
// the widest a column may be.
QStringList columnFaults(ui::QueryGrid* grid) {
    QStringList faults;
    const int widest = ui::twipsToPixels(ui::QueryGrid::widestColumnTwips, grid->logicalDpiX());
    for (int column = 0; column < grid->gridModel().columnCount(); ++column) {
        int needed = grid->horizontalHeader()->sectionSizeHint(column);
        for (int row = 0; row < grid->gridModel().rowCount(); ++row)
            needed = std::max(needed,
                              grid->sizeHintForIndex(grid->gridModel().index(row, column)).width());
        if (grid->columnWidth(column) < std::min(needed, widest))
            faults
                << grid->gridModel().columns().at(column) +
                       QStringLiteral(": %1 px of %2").arg(grid->columnWidth(column)).arg(needed);
    }
    return faults;
}

void addFaultDesk(const support::TestDb& db) {
    db.exec(QStringLiteral("INSERT INTO circle (circle) VALUES ('KERALA'), ('MAHARASHTRA')"));
    db.exec(QStringLiteral("INSERT INTO ssa (circle, SSA) VALUES ('KERALA', 'TRIVANDRUM')"));
    db.exec(QStringLiteral(
        "INSERT INTO af_site (circle, ssa, site, status, SERVICE, ip, VLAN, [user], LIVE) VALUES "
        "('KERALA', 'TRIVANDRUM', 'TVM-KAZHAKUTTAM-AP', 'ACTIVE', 'FTTH-BNG-TRIVANDRUM-CORE-02', "
        "'2001:db8:85a3::8a2e:370:7334', '3101', '117', 'UP'), "
        "('KERALA', 'TRIVANDRUM', 'KOVALAM', 'ACTIVE', 'AF', '10.2.1.1', '2100', '9', 'UP')"));
    const QString reason =
        QStringLiteral("FIBER CUT BY NATIONAL HIGHWAY WIDENING WORK NEAR KAZHAKUTTAM JUNCTION");
    db.exec(QStringLiteral("INSERT INTO AP_RFO (RFO) VALUES ('POWER'), (?)"), {reason});
    db.exec(QStringLiteral(
                "INSERT INTO olt_status (fault_id, circle, SSA, SITE_NAME, equipment, down_time, "
                "up_time, TOTAL_TIME_DOWN, rfo, on_the_part_of, status, IP) VALUES "
                "(41, 'MAHARASHTRA', 'PUNE', 'TVM-KAZHAKUTTAM-AP', 'OLT-ZTE-C320-01', "
                "'2026-12-01 08:15:00', '2026-12-31 23:59:59', '735:44', ?, 'VUVA', 'OPEN', "
                "'2001:db8:85a3::8a2e:370:7334')"),
            {reason});
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_ctx = std::make_unique<support::TestContext>();
        // Counts every row the release touches.
        m_ctx->db().recordUpdates(QStringLiteral("CRM"), QStringLiteral("MAC"),
                                  QStringLiteral("new.MAC='NA'"), QStringLiteral("CRM_ID"),
                                  QStringLiteral("released"));
        m_ctx->db().exec(
            QStringLiteral("insert into CRM (NAME, CRM_ID, STATUS, PASSWORD, crm_ip, MAC) values "
                           "('Asha', '1', 'ACTIVE', 'a', '', '02:AB:CD:00:00:01'), "
                           "('Ravi', '2', 'ACTIVE', 'b', '', '02:AB:CD:00:00:01'), "
                           "('Mira', '3', 'ACTIVE', 'c', '', 'AA:AA:AA:AA:AA:AA')"));
    }

    void theOpenMenuHasItsNineItemsInOrder() {
        app::MainWindow main(m_ctx->app(), app::standardMenu());
        QCOMPARE(main.objectName(), QStringLiteral("MDIForm1"));
        QCOMPARE(main.windowTitle(), QStringLiteral("VUVA BROADBAND SERVICE"));
        QCOMPARE(main.menuBar()->actions().size(), 1);
        QMenu* open = main.menuBar()->actions().first()->menu();
        QCOMPARE(open->title(), QStringLiteral("OPEN"));
        QStringList items;
        for (QAction* a : open->actions())
            items << a->objectName() + QLatin1Char('=') + a->text();
        QCOMPARE(items,
                 support::strings({"M3=COMPLAIN", "m5=ADD CUSTOMER", "m6=Add Engineer", "SLA=SLA",
                                   "m7=BTS FAULT", "M9=AP AND USER STATUS", "m8=ONU CONFIGURATION",
                                   "C3=OLT INNER VLAN", "C5=VOICE IP"}));
    }

    void everyScreenFollowsTheDisplayConventions() {
        app::MainWindow main(m_ctx->app(), app::standardMenu());
        main.show();
        for (QAction* item : main.menuBar()->actions().first()->menu()->actions())
            if (item->isEnabled())
                item->trigger();
        // The screens opened from other screens.
        if (QWidget* form3 = m_ctx->screens().find(QStringLiteral("Form3")))
            support::click(form3, QStringLiteral("Command7"));
        if (QWidget* form4 = m_ctx->screens().find(QStringLiteral("Form4")))
            support::click(form4, QStringLiteral("Command1"));
        if (QWidget* form8 = m_ctx->screens().find(QStringLiteral("Form8")))
            for (const char* link : {"Label5", "Label6", "Label8"})
                support::clickLabel(form8, QString::fromLatin1(link));
        QStringList faults;
        QStringList seen;
        const QRegularExpression formName(QStringLiteral("^Form\\d+$"));
        for (QWidget* top : QApplication::topLevelWidgets()) {
            QList<QWidget*> screens = top->findChildren<QWidget*>(formName);
            if (formName.match(top->objectName()).hasMatch())
                screens << top;
            for (QWidget* screen : screens) {
                seen << screen->objectName();
                faults << conventionFaults(screen);
            }
        }
        for (const char* form :
             {"Form1", "Form3", "Form4", "Form5", "Form6", "Form7", "Form8", "Form9", "Form10",
              "Form11", "Form12", "Form15", "Form17", "Form18"})
            QVERIFY2(seen.contains(QString::fromLatin1(form)), qPrintable(seen.join(u' ')));
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }

    // The site fault screen and the SLA board as an operator meets them, in
    // the main window on a 1280 x 800 display: lists show their whole
    // entries and stay put while the values beside them grow, and the grid's
    // columns show their headers and values.
    void theFaultScreensShowWholeTexts() {
        addFaultDesk(m_ctx->db());
        app::MainWindow main(m_ctx->app(), app::standardMenu());
        main.resize(1280, 800);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));

        main.menuAction(QStringLiteral("m7"))->trigger();
        QWidget* bts = m_ctx->screens().find(QStringLiteral("Form8"));
        QVERIFY(bts);
        support::choose(bts, QStringLiteral("Combo1"), QStringLiteral("KERALA"));
        support::choose(bts, QStringLiteral("Combo2"), QStringLiteral("TRIVANDRUM"));
        support::choose(bts, QStringLiteral("Combo3"), QStringLiteral("TVM-KAZHAKUTTAM-AP"));
        settle();
        auto* site = support::find<QComboBox>(bts, QStringLiteral("Combo3"));
        QCOMPARE(site->currentText(), QStringLiteral("TVM-KAZHAKUTTAM-AP"));
        QVERIFY(showsWholeText(site));
        const QList<QRect> places = listPlaces(bts);
        support::choose(bts, QStringLiteral("Combo4"), QStringLiteral("TVM-KAZHAKUTTAM-AP"));
        settle();
        QCOMPARE(support::textOf(bts, QStringLiteral("Label2")),
                 QStringLiteral("IP: 2001:db8:85a3::8a2e:370:7334"));
        QCOMPARE(listPlaces(bts), places);
        QStringList faults = listFaults(bts);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));

        main.menuAction(QStringLiteral("SLA"))->trigger();
        QWidget* sla = m_ctx->screens().find(QStringLiteral("Form5"));
        QVERIFY(sla);
        settle();
        faults = listFaults(sla);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
        auto* grid = support::find<ui::QueryGrid>(sla, QStringLiteral("MSHFlexGrid1"));
        QCOMPARE(grid->cellText(0, 1), QStringLiteral("MAHARASHTRA"));
        faults = columnFaults(grid);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));

        // The outage looked up: its reason and address beside the lists.
        const QList<QRect> board = listPlaces(sla);
        support::type(sla, QStringLiteral("Text1"), QStringLiteral("41"));
        support::leave(sla, QStringLiteral("Text1"));
        settle();
        QCOMPARE(support::textOf(sla, QStringLiteral("Label2")),
                 QStringLiteral("2001:db8:85a3::8a2e:370:7334"));
        QCOMPARE(listPlaces(sla), board);
        faults = listFaults(sla);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    // The menu's screens open by their names and captions, inside the main
    // window or beside it.
    void itemsOpenTheirScreens_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("inside");
        QTest::addRow("SLA") << "SLA"
                             << "Form5"
                             << "SLA" << true;
        QTest::addRow("AP AND USER STATUS") << "M9"
                                            << "Form15"
                                            << "USER AND AP STATUS" << true;
        QTest::addRow("Add Engineer") << "m6"
                                      << "Form7"
                                      << "ADD ENGINEER" << false;
    }
    void itemsOpenTheirScreens() {
        QFETCH(QString, item);
        QFETCH(QString, screen);
        QFETCH(QString, title);
        QFETCH(bool, inside);
        app::MainWindow main(m_ctx->app(), app::standardMenu());
        main.show();
        QAction* action = main.menuAction(item);
        QVERIFY(action->isEnabled());
        action->trigger();
        QWidget* opened = m_ctx->screens().find(screen);
        QVERIFY(opened);
        QCOMPARE(opened->objectName(), screen);
        QCOMPARE(opened->windowTitle(), title);
        QCOMPARE(main.mdiArea()->subWindowList().size(), inside ? 1 : 0);
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
        m_ctx->screens().closeAll();
    }

    void anItemChosenTwiceShowsOneWindowAsLeft() {
        app::MainWindow main(m_ctx->app(), {{"M3", "COMPLAIN", "Form3", true, scratchScreen}});
        main.show();
        main.menuAction(QStringLiteral("M3"))->trigger();
        QWidget* screen = m_ctx->screens().find(QStringLiteral("Form3"));
        QVERIFY(screen);
        support::type(screen, QStringLiteral("Text1"), QStringLiteral("typed"));
        main.menuAction(QStringLiteral("M3"))->trigger();
        QCOMPARE(main.mdiArea()->subWindowList().size(), 1);
        QCOMPARE(m_ctx->screens().find(QStringLiteral("Form3")), screen);
        QCOMPARE(support::textOf(screen, QStringLiteral("Text1")), QStringLiteral("typed"));
        QVERIFY(main.mdiArea()->subWindowList().first()->isMaximized());
    }

    void closingReleasesThisWorkstationOnceAndClosesTheScreens() {
        auto* main =
            new app::MainWindow(m_ctx->app(), {{"M3", "COMPLAIN", "Form3", true, scratchScreen}});
        main->setAttribute(Qt::WA_DeleteOnClose);
        main->show();
        main->menuAction(QStringLiteral("M3"))->trigger();
        QPointer<QWidget> screen = m_ctx->screens().find(QStringLiteral("Form3"));
        QVERIFY(main->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!screen);
        QCOMPARE(m_ctx->db().rows(QStringLiteral("select value from released order by 1")),
                 QStringList({QStringLiteral("1"), QStringLiteral("2")}));
        QCOMPARE(m_ctx->db().rows(QStringLiteral("select STATUS, MAC from CRM order by CRM_ID")),
                 QStringList({QStringLiteral("INACTIVE|NA"), QStringLiteral("INACTIVE|NA"),
                              QStringLiteral("ACTIVE|AA:AA:AA:AA:AA:AA")}));
        QVERIFY(m_ctx->dialogs().texts().isEmpty());
    }

    void aFailedReleaseIsShownAndTheWindowClosesAnyway() {
        app::MainWindow main(m_ctx->app(), app::standardMenu());
        main.show();
        m_ctx->db().loseDatabase();
        QVERIFY(main.close());
        QCOMPARE(m_ctx->dialogs().texts().size(), 1);
        QVERIFY2(m_ctx->dialogs().last().contains(m_ctx->db().lostDatabaseMessage()),
                 qPrintable(m_ctx->dialogs().last()));
    }

    void signInLeadsToTheMainWindowAndPasswordChangeBackToLogin() {
        m_ctx->db().exec(QStringLiteral("update CRM set MAC='NA' where CRM_ID='3'"));
        app::Navigator nav(m_ctx->app(), app::standardMenu());
        nav.showLogin();
        QPointer<app::LoginForm> login = nav.login();
        support::click(login, QStringLiteral("Command2"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!login);
        QVERIFY(nav.passwordChange() && nav.passwordChange()->isVisible());
        nav.passwordChange()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(nav.login() && nav.login()->isVisible());
        support::type(nav.login(), QStringLiteral("Text1"), QStringLiteral("3"));
        support::type(nav.login(), QStringLiteral("Text2"), QStringLiteral("c"));
        support::click(nav.login(), QStringLiteral("Command1"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!nav.login());
        QVERIFY(nav.mainWindow() && nav.mainWindow()->isVisible());
        QVERIFY(nav.mainWindow()->isMaximized());
    }

private:
    std::unique_ptr<support::TestContext> m_ctx;
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
