#include "ui/enter_navigation.h"

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

} // namespace

void enterMovesFocus(QWidget* control) {
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
