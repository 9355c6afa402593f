#include "app/login_form.h"
#include "app/main_window.h"
#include "app/navigator.h"
#include "app/password_change_form.h"
#include "support/strings.h"
#include "support/test_context.h"
#include "support/widgets.h"

#include <QAction>
#include <QComboBox>
#include <QCompleter>
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
