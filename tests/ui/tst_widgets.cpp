#include "support/widgets.h"
#include "ui/clickable_label.h"
#include "ui/enter_navigation.h"
#include "ui/list_box.h"
#include "ui/waiting_action.h"

#include <QAbstractItemView>
#include <QDialog>
#include <QEventLoop>
#include <QGridLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>

using support::find;

namespace {

enum class Kind { LineEdit, EditableCombo, FixedCombo };

// A form as the screens lay them out: the control under test, a disabled box
// the tab order must pass over, then two more text boxes.
struct Form {
    QWidget window;
    QWidget* control = nullptr;

    explicit Form(Kind kind) {
        auto* layout = new QVBoxLayout(&window);
        if (kind == Kind::LineEdit) {
            control = new QLineEdit;
        } else {
            auto* combo = new QComboBox;
            combo->setEditable(kind == Kind::EditableCombo);
            combo->addItems({QStringLiteral("FTTH"), QStringLiteral("AF")});
            control = combo;
        }
        control->setObjectName(QStringLiteral("Text1"));
        layout->addWidget(control);
        addEdit(layout, QStringLiteral("Locked"))->setEnabled(false);
        addEdit(layout, QStringLiteral("Text2"));
        addEdit(layout, QStringLiteral("Text3"));
    }

    static QLineEdit* addEdit(QVBoxLayout* layout, const QString& name) {
        auto* edit = new QLineEdit;
        edit->setObjectName(name);
        layout->addWidget(edit);
        return edit;
    }

    QWidget* focused() const { return QApplication::focusWidget(); }
};

} // namespace

Q_DECLARE_METATYPE(Kind)

class TstWidgets : public QObject {
    Q_OBJECT

private slots:
    void enterMovesToNextControl_data();
    void enterMovesToNextControl();
    void enterStaysWithControlsNotAskedFor();
    void enterPressesTheFocusedButtonOnce_data();
    void enterPressesTheFocusedButtonOnce();

    void labelClick();
    void labelPressDraggedAwayIsNoClick();
    void labelDoubleClickIsOneClickAndOneDoubleClick();
    void labelKeys_data();
    void labelKeys();
    void labelIsReachedByTabButClickLeavesFocus();

    void typedTextIsNoPick_data();
    void typedTextIsNoPick();
    void pickingFromTheListRunsTheHandler();

    void listsShowTheirWholeTextAndKeepTheirPlace_data();
    void listsShowTheirWholeTextAndKeepTheirPlace();
    void theFormsOwnSpreadStays();

    void closingDuringAWaitIsDeferred_data();
    void closingDuringAWaitIsDeferred();
    void aScreenDestroyedDuringAWaitIsLeftAlone();
};

namespace {

// A circle box with its handler, and a text box to move the focus to.
struct PickForm {
    QWidget window;
    QComboBox* box = new QComboBox;
    QLineEdit* next = new QLineEdit;
    int picks = 0;

    explicit PickForm(bool editable = true) {
        auto* layout = new QVBoxLayout(&window);
        box->setObjectName(QStringLiteral("Combo4"));
        box->setEditable(editable);
        box->addItems(
            {QStringLiteral("KERALA"), QStringLiteral("KARNATAKA"), QStringLiteral("WIRE DOWN")});
        box->setCurrentIndex(-1);
        next->setObjectName(QStringLiteral("Text2"));
        layout->addWidget(box);
        layout->addWidget(next);
        ui::onListPick(box, &window, [this] { ++picks; });
        support::focusIn(&window, QStringLiteral("Combo4"));
    }
};

// Runs a nested event loop for `ms`, the way a wait on a page or a gateway
// keeps the UI live, with the operator's close arriving half way.
void waitWhileClosing(QWidget* screen, QWidget* closeTarget, int ms) {
    const ui::WaitingAction action(screen);
    QTimer::singleShot(ms / 2, closeTarget, [closeTarget] { closeTarget->close(); });
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    QVERIFY(!action.screenGone());
    QVERIFY(screen->isVisible());
}

} // namespace

void TstWidgets::enterMovesToNextControl_data() {
    QTest::addColumn<Kind>("kind");
    QTest::addRow("text box") << Kind::LineEdit;
    QTest::addRow("editable combo box") << Kind::EditableCombo;
    QTest::addRow("fixed combo box") << Kind::FixedCombo;
}

void TstWidgets::enterMovesToNextControl() {
    QFETCH(Kind, kind);
    Form form(kind);
    ui::enterMovesFocus({form.control, find<QLineEdit>(&form.window, QStringLiteral("Text2"))});
    auto* combo = qobject_cast<QComboBox*>(form.control);
    auto* edit = combo ? combo->lineEdit() : qobject_cast<QLineEdit*>(form.control);
    std::unique_ptr<QSignalSpy> returned;
    std::unique_ptr<QSignalSpy> activated;
    if (edit)
        returned = std::make_unique<QSignalSpy>(edit, &QLineEdit::returnPressed);
    if (combo) {
        activated = std::make_unique<QSignalSpy>(combo, &QComboBox::activated);
        support::type(&form.window, QStringLiteral("Text1"), QStringLiteral("BBOWIFI"));
    }

    support::pressEnter(&form.window, QStringLiteral("Text1"));
    QCOMPARE(form.focused(), support::findWidget(&form.window, QStringLiteral("Text2")));
    support::pressEnter(&form.window, QStringLiteral("Text2"));
    QCOMPARE(form.focused(), support::findWidget(&form.window, QStringLiteral("Text3")));

    if (returned)
        QCOMPARE(returned->count(), 0);
    if (combo) {
        QCOMPARE(activated->count(), 0);
        // Enter must not add the typed text to the list nor open it.
        QCOMPARE(combo->count(), 2);
        QVERIFY(!combo->view()->isVisible());
    }
}

void TstWidgets::enterStaysWithControlsNotAskedFor() {
    Form form(Kind::LineEdit);
    ui::enterMovesFocus(form.control);
    auto* last = find<QLineEdit>(&form.window, QStringLiteral("Text3"));
    QSignalSpy returned(last, &QLineEdit::returnPressed);

    support::pressEnter(&form.window, QStringLiteral("Text3"));

    QCOMPARE(form.focused(), last);
    QCOMPARE(returned.count(), 1);
}

void TstWidgets::enterPressesTheFocusedButtonOnce_data() {
    QTest::addColumn<bool>("inDialog");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("clicks");
    QTest::addRow("Return in a window") << false << true << int(Qt::Key_Return) << 1;
    QTest::addRow("keypad Enter in a window") << false << true << int(Qt::Key_Enter) << 1;
    // A dialog's default button answers Enter itself; it must not go twice.
    QTest::addRow("Return in a dialog") << true << true << int(Qt::Key_Return) << 1;
    QTest::addRow("a disabled button") << false << false << int(Qt::Key_Return) << 0;
}

void TstWidgets::enterPressesTheFocusedButtonOnce() {
    QFETCH(bool, inDialog);
    QFETCH(bool, enabled);
    QFETCH(int, key);
    QFETCH(int, clicks);
    ui::enterPressesButtons();
    std::unique_ptr<QWidget> window =
        inDialog ? std::make_unique<QDialog>() : std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(window.get());
    layout->addWidget(new QLineEdit);
    auto* button = new QPushButton(QStringLiteral("LOGIN"));
    layout->addWidget(button);
    window->show();
    QApplication::setActiveWindow(window.get());
    button->setFocus(Qt::OtherFocusReason);
    button->setEnabled(enabled);
    QSignalSpy clicked(button, &QPushButton::clicked);
    QTest::keyClick(button, Qt::Key(key));
    QCOMPARE(clicked.count(), clicks);
}

void TstWidgets::labelClick() {
    ui::ClickableLabel label;
    label.resize(80, 20);
    QSignalSpy clicked(&label, &ui::ClickableLabel::clicked);
    QSignalSpy doubled(&label, &ui::ClickableLabel::doubleClicked);

    QTest::mouseClick(&label, Qt::LeftButton);
    QTest::mouseClick(&label, Qt::RightButton);

    QCOMPARE(clicked.count(), 1);
    QCOMPARE(doubled.count(), 0);
}

void TstWidgets::labelPressDraggedAwayIsNoClick() {
    ui::ClickableLabel label;
    label.resize(80, 20);
    QSignalSpy clicked(&label, &ui::ClickableLabel::clicked);

    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(200, 10));

    QCOMPARE(clicked.count(), 0);
}

// A person's double click arrives as press, release, double click, release:
// one click, then one double click, as the screens' handlers expect.
void TstWidgets::labelDoubleClickIsOneClickAndOneDoubleClick() {
    ui::ClickableLabel label;
    label.resize(80, 20);
    QSignalSpy clicked(&label, &ui::ClickableLabel::clicked);
    QSignalSpy doubled(&label, &ui::ClickableLabel::doubleClicked);

    QTest::mouseClick(&label, Qt::LeftButton);
    QTest::mouseDClick(&label, Qt::LeftButton);
    QTest::mouseRelease(&label, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(doubled.count(), 1);

    // A double click that arrives alone (as the test harness sends it) must
    // not swallow the next single click.
    QTest::mouseDClick(&label, Qt::LeftButton);
    QTest::mouseClick(&label, Qt::LeftButton);
    QCOMPARE(doubled.count(), 2);
    QCOMPARE(clicked.count(), 2);
}

void TstWidgets::labelKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("clicks");
    QTest::addRow("space") << int(Qt::Key_Space) << 1;
    QTest::addRow("return") << int(Qt::Key_Return) << 1;
    QTest::addRow("keypad enter") << int(Qt::Key_Enter) << 1;
    QTest::addRow("a letter") << int(Qt::Key_A) << 0;
}

void TstWidgets::labelKeys() {
    QFETCH(int, key);
    QFETCH(int, clicks);
    ui::ClickableLabel label;
    QSignalSpy clicked(&label, &ui::ClickableLabel::clicked);

    QTest::keyClick(&label, Qt::Key(key));

    QCOMPARE(clicked.count(), clicks);
}

// Keyboard users reach the label with Tab; a mouse click on it must not pull
// the focus out of the field being edited, which would run its leave handler.
void TstWidgets::labelIsReachedByTabButClickLeavesFocus() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new QLineEdit;
    edit->setObjectName(QStringLiteral("Text1"));
    auto* label = new ui::ClickableLabel;
    label->setObjectName(QStringLiteral("Label8"));
    label->setText(QStringLiteral("CIRCLE"));
    layout->addWidget(edit);
    layout->addWidget(label);
    QSignalSpy clicked(label, &ui::ClickableLabel::clicked);

    support::focusIn(&window, QStringLiteral("Text1"));
    support::clickLabel(&window, QStringLiteral("Label8"));
    QCOMPARE(QApplication::focusWidget(), edit);

    QTest::keyClick(edit, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), label);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(clicked.count(), 2);
}

void TstWidgets::typedTextIsNoPick_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("tabAway"); // else Enter
    QTest::addRow("exact entry, tab") << QStringLiteral("KERALA") << true;
    QTest::addRow("exact entry, enter") << QStringLiteral("KERALA") << false;
    QTest::addRow("other case, tab") << QStringLiteral("kerala") << true;
    QTest::addRow("other case, enter") << QStringLiteral("kerala") << false;
    QTest::addRow("start of an entry, tab") << QStringLiteral("WIRE") << true;
    QTest::addRow("no entry, tab") << QStringLiteral("GOA") << true;
}

// Typed text that happens to match an entry is not a pick, and stays as
// typed: no case change, no completion to a longer entry.
void TstWidgets::typedTextIsNoPick() {
    QFETCH(QString, typed);
    QFETCH(bool, tabAway);
    PickForm form;
    QTest::keyClicks(form.box, typed);
    if (tabAway)
        QTest::keyClick(form.box, Qt::Key_Tab);
    else
        QTest::keyClick(form.box, Qt::Key_Return);
    QCoreApplication::processEvents();
    if (tabAway)
        QCOMPARE(QApplication::focusWidget(), form.next);

    QCOMPARE(form.picks, 0);
    QCOMPARE(form.box->currentText(), typed);
    QCOMPARE(form.box->count(), 3);
    // Leaving the box again, by any route, changes nothing either.
    support::focusIn(&form.window, QStringLiteral("Combo4"));
    support::leave(&form.window, QStringLiteral("Combo4"));
    QCOMPARE(form.picks, 0);
    QCOMPARE(form.box->currentText(), typed);
}

void TstWidgets::pickingFromTheListRunsTheHandler() {
    for (const bool editable : {true, false}) {
        PickForm form(editable);
        support::choose(&form.window, QStringLiteral("Combo4"), QStringLiteral("KARNATAKA"));
        QCOMPARE(form.picks, 1);
        QCOMPARE(form.box->currentText(), QStringLiteral("KARNATAKA"));

        // Stepping through the closed list with the arrow keys picks too.
        QTest::keyClick(form.box, Qt::Key_Down);
        QCOMPARE(form.picks, 2);
        QCOMPARE(form.box->currentText(), QStringLiteral("WIRE DOWN"));

        // The wheel over the closed box changes nothing.
        QWheelEvent wheel(QPointF(5, 5), form.box->mapToGlobal(QPointF(5, 5)), {}, {0, 120},
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(form.box, &wheel);
        QCOMPARE(form.picks, 2);
        QCOMPARE(form.box->currentText(), QStringLiteral("WIRE DOWN"));
    }
}

namespace {

enum class Arrangement { Grid, RowWithSpacer, Row };

// The arrangements the screens use: the site fault screen's grid of captions,
// lists and the site's values beside them, over a text box that takes any
// width on offer; or a row of a text box, lists, a value and a button, with
// or without a spacer closing it.
struct ListForm {
    QWidget window;
    QComboBox* site = new QComboBox;
    QComboBox* period = new QComboBox;
    QLabel* value = new QLabel(QStringLiteral("IP:"));

    explicit ListForm(Arrangement arrangement) {
        site->setEditable(true);
        period->setEditable(true);
        value->setAccessibleDescription(QStringLiteral("IP address of the site"));
        auto* caption = new QLabel(QStringLiteral("SELECT SITE"));
        if (arrangement == Arrangement::Grid) {
            auto* grid = new QGridLayout(&window);
            grid->addWidget(caption, 0, 0);
            grid->addWidget(site, 0, 1);
            grid->addWidget(new QLabel(QStringLiteral("BNG:")), 0, 2);
            grid->addWidget(new QLabel(QStringLiteral("SELECT FAULT")), 1, 0);
            grid->addWidget(period, 1, 1);
            grid->addWidget(value, 1, 2);
            grid->addWidget(new QLineEdit, 2, 0);
            grid->addWidget(new QPushButton(QStringLiteral("CLOSE FT")), 2, 3);
            grid->addWidget(new QLineEdit, 3, 2, 1, 2);
        } else {
            auto* row = new QHBoxLayout(&window);
            row->addWidget(new QLineEdit);
            row->addWidget(site);
            row->addWidget(period);
            row->addWidget(value);
            row->addWidget(new QPushButton(QStringLiteral("CLOSE")));
            if (arrangement == Arrangement::RowWithSpacer)
                row->addStretch();
        }
        // What the screen's constructor puts in a box before the screen opens.
        ui::replaceEntries(period, {QStringLiteral("UP_TIME"), QStringLiteral("DOWN_TIME")},
                           QStringLiteral("UP/DOWN TIME"));
        window.resize(1000, 200);
    }

    void settle() {
        window.layout()->activate();
        QCoreApplication::processEvents();
    }
    QList<QRect> listPlaces() const { return {site->geometry(), period->geometry()}; }
};

// The whole text is in sight: with the cursor at its end, its first
// character is still at the left edge of the box.
bool showsWholeText(QComboBox* box) {
    QLineEdit* edit = box->lineEdit();
    edit->end(false);
    edit->grab(); // the box scrolls its text as it paints
    return edit->cursorPositionAt(QPoint(edit->contentsRect().left() + 1, edit->height() / 2)) == 0;
}

} // namespace

Q_DECLARE_METATYPE(Arrangement)

void TstWidgets::listsShowTheirWholeTextAndKeepTheirPlace_data() {
    QTest::addColumn<Arrangement>("arrangement");
    QTest::addRow("grid of captions, lists and values") << Arrangement::Grid;
    QTest::addRow("row closed by a spacer") << Arrangement::RowWithSpacer;
    QTest::addRow("row") << Arrangement::Row;
}

void TstWidgets::listsShowTheirWholeTextAndKeepTheirPlace() {
    QFETCH(Arrangement, arrangement);
    ListForm form(arrangement);
    ui::fitListBoxes(&form.window);
    form.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form.window));

    // Filled once the screen is up, as the lists cascade: the box is then
    // wide enough for its longest entry, so picking it moves nothing.
    const QString site = QStringLiteral("TVM-KAZHAKUTTAM-AP");
    ui::replaceEntries(form.site, {QStringLiteral("KOCHI-AP"), site}, QString());
    form.settle();
    const QList<QRect> filled = form.listPlaces();
    form.site->setCurrentIndex(1);
    form.settle();
    QCOMPARE(form.site->currentText(), site);
    QVERIFY(showsWholeText(form.site));
    QCOMPARE(form.listPlaces(), filled);
    QVERIFY(showsWholeText(form.period));

    // A text the screen puts in the box that is none of its entries (a
    // ticket's site, looked up) is shown whole too; a shorter one picked
    // afterwards leaves the box as wide.
    form.site->setEditText(QStringLiteral("TVM-KAZHAKUTTAM-OLD-EXCHANGE-AP"));
    form.settle();
    QVERIFY(showsWholeText(form.site));
    const QList<QRect> widened = form.listPlaces();
    form.site->setCurrentIndex(0);
    form.settle();
    QCOMPARE(form.listPlaces(), widened);

    // A value that grows beside the lists leaves them where they are.
    const QList<QRect> places = form.listPlaces();
    form.value->setText(QStringLiteral("IP: 10.200.30.40 / 10.200.30.41"));
    form.settle();
    QCOMPARE(form.listPlaces(), places);
    // ...and takes no more room than its text: a value shown on a colour
    // paints no bar across the screen.
    if (arrangement == Arrangement::Grid)
        QCOMPARE(form.value->width(), form.value->sizeHint().width());
    QVERIFY(showsWholeText(form.site));

    // So does the operator's typing: the text scrolls inside its box.
    form.site->setFocus();
    QTest::keyClicks(form.site, QStringLiteral(" NEAR THE RAILWAY STATION"));
    form.settle();
    QCOMPARE(form.listPlaces(), places);
}

// A stretch the form itself sets is its designer's choice and stays; a grid
// whose values share columns with lists (the customer record: lists and
// values in every column) keeps Qt's own sharing of the spare width.
void TstWidgets::theFormsOwnSpreadStays() {
    QWidget window;
    auto* row = new QHBoxLayout(&window);
    auto* count = new QLabel;
    count->setAccessibleDescription(QStringLiteral("count"));
    row->addWidget(new QComboBox);
    row->addWidget(count);
    row->addStretch(2);

    QWidget form;
    auto* grid = new QGridLayout(&form);
    auto* vlan = new QLabel;
    vlan->setAccessibleDescription(QStringLiteral("outer VLAN"));
    grid->addWidget(new QLineEdit, 0, 0);
    grid->addWidget(new QComboBox, 0, 1);
    grid->addWidget(new QComboBox, 1, 0);
    grid->addWidget(vlan, 1, 1);

    ui::fitListBoxes(&window);
    ui::fitListBoxes(&form);
    QCOMPARE(row->stretch(1), 0);
    QCOMPARE(row->stretch(2), 2);
    QCOMPARE(grid->columnStretch(0), 0);
    QCOMPARE(grid->columnStretch(1), 0);
}

void TstWidgets::closingDuringAWaitIsDeferred_data() {
    QTest::addColumn<bool>("inMainWindow");
    QTest::addRow("top-level window") << false;
    QTest::addRow("child of the main window") << true;
}

// The operator closes the screen while one of its actions waits: the screen
// stays until the action is done, then goes as asked.
void TstWidgets::closingDuringAWaitIsDeferred() {
    QFETCH(bool, inMainWindow);
    QMdiArea area;
    auto* screen = new QWidget;
    screen->setAttribute(Qt::WA_DeleteOnClose);
    QWidget* closeTarget = screen;
    if (inMainWindow) {
        closeTarget = area.addSubWindow(screen);
        area.show();
    }
    screen->show();
    QPointer<QWidget> watch(screen);

    waitWhileClosing(screen, closeTarget, 200);
    QVERIFY(!ui::isWaiting(screen));
    QTRY_VERIFY(watch.isNull());
    if (inMainWindow)
        QTRY_VERIFY(area.subWindowList().isEmpty());
}

void TstWidgets::aScreenDestroyedDuringAWaitIsLeftAlone() {
    auto* owner = new QWidget;
    auto* screen = new QWidget(owner);
    owner->show();
    const ui::WaitingAction action(screen);
    QTimer::singleShot(20, owner, [owner] { delete owner; });
    QEventLoop loop;
    QTimer::singleShot(100, &loop, &QEventLoop::quit);
    loop.exec();
    QVERIFY(action.screenGone());
}

QTEST_MAIN(TstWidgets)
#include "tst_widgets.moc"
