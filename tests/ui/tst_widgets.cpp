#include "support/widgets.h"
#include "ui/clickable_label.h"
#include "ui/enter_navigation.h"

#include <QAbstractItemView>
#include <QSignalSpy>
#include <QTest>
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

    void labelClick();
    void labelPressDraggedAwayIsNoClick();
    void labelDoubleClickIsOneClickAndOneDoubleClick();
    void labelKeys_data();
    void labelKeys();
    void labelIsReachedByTabButClickLeavesFocus();
};

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

QTEST_MAIN(TstWidgets)
#include "tst_widgets.moc"
