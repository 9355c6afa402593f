#include "support/widgets.h"
#include "ui/screen_registry.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <QVBoxLayout>

using Placement = ui::ScreenRegistry::Placement;
Q_DECLARE_METATYPE(Placement)

namespace {

// A main window with its MDI area, a registry on it, and a factory that
// counts how often it had to build a screen.
struct Desk {
    QMainWindow main;
    QMdiArea* area = new QMdiArea;
    ui::ScreenRegistry screens{area};
    int built = 0;

    Desk() {
        main.setCentralWidget(area);
        main.resize(800, 600);
        main.show();
    }
    ~Desk() { screens.closeAll(); }

    QWidget* open(const QString& name, Placement placement = Placement::Child) {
        return screens.open(
            name, [this] { return build(); }, placement);
    }

    QWidget* build() {
        ++built;
        auto* screen = new QWidget;
        auto* edit = new QLineEdit(screen);
        edit->setObjectName(QStringLiteral("Text1"));
        (new QVBoxLayout(screen))->addWidget(edit);
        return screen;
    }
};

void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void addPlacements() {
    QTest::addColumn<Placement>("placement");
    QTest::addRow("child") << Placement::Child;
    QTest::addRow("top level") << Placement::TopLevel;
}

} // namespace

class TstScreenRegistry : public QObject {
    Q_OBJECT

private slots:
    void openingAgainKeepsTheScreenAsLeft_data() { addPlacements(); }
    void openingAgainKeepsTheScreenAsLeft();
    void closedScreenIsBuiltAfresh_data() { addPlacements(); }
    void closedScreenIsBuiltAfresh();

    void childOpensMaximizedInsideTheArea();
    void topLevelOpensOutsideTheArea();
    void withoutAreaEveryScreenIsTopLevel();
    void openingAgainRestoresAndActivatesChild();
    void closeAllClosesEveryScreen();
};

void TstScreenRegistry::openingAgainKeepsTheScreenAsLeft() {
    QFETCH(Placement, placement);
    Desk desk;

    QWidget* first = desk.open(QStringLiteral("Form1"), placement);
    support::type(first, QStringLiteral("Text1"), QStringLiteral("typed before"));
    QWidget* second = desk.open(QStringLiteral("Form1"), placement);

    QCOMPARE(second, first);
    QCOMPARE(desk.built, 1);
    QCOMPARE(support::textOf(second, QStringLiteral("Text1")), QStringLiteral("typed before"));
    QCOMPARE(second->objectName(), QStringLiteral("Form1"));
    QCOMPARE(desk.screens.find(QStringLiteral("Form1")), first);
    QCOMPARE(desk.area->subWindowList().size(), placement == Placement::Child ? 1 : 0);
}

void TstScreenRegistry::closedScreenIsBuiltAfresh() {
    QFETCH(Placement, placement);
    Desk desk;
    QPointer<QWidget> first = desk.open(QStringLiteral("Form3"), placement);
    support::type(first, QStringLiteral("Text1"), QStringLiteral("old"));

    QVERIFY(first->close());
    // Still waiting for deletion, but already gone as far as opening goes.
    QCOMPARE(desk.screens.find(QStringLiteral("Form3")), nullptr);
    QWidget* second = desk.open(QStringLiteral("Form3"), placement);

    QCOMPARE(desk.built, 2);
    QVERIFY(second != first);
    QCOMPARE(support::textOf(second, QStringLiteral("Text1")), QString());
    settle();
    QVERIFY(first.isNull());
    // The closed screen's frame goes with it.
    QTRY_COMPARE(desk.area->subWindowList().size(), placement == Placement::Child ? 1 : 0);
}

void TstScreenRegistry::childOpensMaximizedInsideTheArea() {
    Desk desk;
    QWidget* screen = desk.open(QStringLiteral("Form8"));

    auto* sub = qobject_cast<QMdiSubWindow*>(screen->parentWidget());
    QVERIFY(sub);
    QVERIFY(desk.area->isAncestorOf(screen));
    QVERIFY(sub->isMaximized());
    QVERIFY(screen->isVisible());
    QCOMPARE(desk.area->activeSubWindow(), sub);
}

void TstScreenRegistry::topLevelOpensOutsideTheArea() {
    Desk desk;
    QWidget* screen = desk.open(QStringLiteral("Form14"), Placement::TopLevel);

    QVERIFY(screen->isWindow());
    QVERIFY(screen->isVisible());
    QVERIFY(!desk.area->isAncestorOf(screen));
    QVERIFY(desk.area->subWindowList().isEmpty());
}

void TstScreenRegistry::withoutAreaEveryScreenIsTopLevel() {
    ui::ScreenRegistry screens;
    QWidget* screen = screens.open(QStringLiteral("Form13"), [] { return new QWidget; });

    QVERIFY(screen->isWindow());
    QVERIFY(screen->isVisible());
    QVERIFY(screen->testAttribute(Qt::WA_DeleteOnClose));
    QPointer<QWidget> watch = screen;
    screens.closeAll();
    settle();
    QVERIFY(watch.isNull());
}

void TstScreenRegistry::openingAgainRestoresAndActivatesChild() {
    Desk desk;
    QWidget* board = desk.open(QStringLiteral("Form4"));
    QWidget* sla = desk.open(QStringLiteral("Form5"));
    auto* boardFrame = qobject_cast<QMdiSubWindow*>(board->parentWidget());
    auto* slaFrame = qobject_cast<QMdiSubWindow*>(sla->parentWidget());
    QCOMPARE(desk.area->activeSubWindow(), slaFrame);

    QCOMPARE(desk.open(QStringLiteral("Form4")), board);
    QCOMPARE(desk.area->activeSubWindow(), boardFrame);

    boardFrame->showMinimized();
    slaFrame->showMinimized();
    QCOMPARE(desk.open(QStringLiteral("Form4")), board);
    QVERIFY(!boardFrame->isMinimized());
    QVERIFY(boardFrame->isMaximized());
    QCOMPARE(desk.area->activeSubWindow(), boardFrame);
    QCOMPARE(desk.built, 2);
}

void TstScreenRegistry::closeAllClosesEveryScreen() {
    Desk desk;
    QPointer<QWidget> one = desk.open(QStringLiteral("Form1"));
    QPointer<QWidget> two = desk.open(QStringLiteral("Form8"));
    QPointer<QWidget> alone = desk.open(QStringLiteral("Form14"), Placement::TopLevel);

    desk.screens.closeAll();

    for (const char* name : {"Form1", "Form8", "Form14"})
        QCOMPARE(desk.screens.find(QLatin1String(name)), nullptr);
    settle();
    QTRY_VERIFY(desk.area->subWindowList().isEmpty());
    QVERIFY(one.isNull() && two.isNull() && alone.isNull());
}

QTEST_MAIN(TstScreenRegistry)
#include "tst_screen_registry.moc"
