#include "ui/enter_navigation.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QWidget>

namespace ui {

namespace {

bool isEnter(const QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Turns Enter into Tab. One instance serves every control of every screen.
class EnterToTab final : public QObject {
public:
    using QObject::QObject;

    // Owned by the application, so it outlives every screen that uses it.
    static EnterToTab* shared() {
        static QPointer<EnterToTab> instance;
        if (!instance)
            instance = new EnterToTab(QCoreApplication::instance());
        return instance;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!isEnter(event))
            return QObject::eventFilter(watched, event);
        // A Tab sent to the control takes the same path as one typed: the
        // window's tab order, skipping what is hidden, disabled or unfocusable,
        // and staying inside an MDI child.
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QCoreApplication::sendEvent(watched, &tab);
        return true;
    }
};

// Enter (or Return) on a focused button presses it, on every window: Qt's
// buttons only answer Space outside a dialog, and an operator who moved to a
// button with Enter presses it with Enter. The key is taken here, so a
// dialog's own default-button handling never presses it a second time.
class EnterPressesButton final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (!button || !isEnter(event) || !button->hasFocus() || !button->isEnabled())
            return QObject::eventFilter(watched, event);
        if (!static_cast<QKeyEvent*>(event)->isAutoRepeat())
            button->click();
        return true;
    }
};

} // namespace

void enterPressesButtons() {
    static QPointer<EnterPressesButton> instance;
    if (instance || !QCoreApplication::instance())
        return;
    instance = new EnterPressesButton(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(instance);
}

void enterMovesFocus(QWidget* control) {
    enterPressesButtons();
    if (!control)
        return;
    EnterToTab* filter = EnterToTab::shared();
    control->installEventFilter(filter);
    // Enter in an editable combo box's line edit would add the typed text to
    // the list; the combo box passes its keys on through the filter above, and
    // a key sent to the line edit itself is caught here.
    if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit())
        combo->lineEdit()->installEventFilter(filter);
}

void enterMovesFocus(std::initializer_list<QWidget*> controls) {
    for (QWidget* control : controls)
        enterMovesFocus(control);
}

} // namespace ui
