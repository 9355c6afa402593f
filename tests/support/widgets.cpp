#include "support/widgets.h"

#include "ui/clickable_label.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>

namespace support {

namespace {

// Focus moves only inside the active window; make the screen's window it.
void activate(QWidget* w) {
    QWidget* top = w->window();
    if (!top->isVisible())
        top->show();
    if (QApplication::activeWindow() != top) {
        QApplication::setActiveWindow(top);
        top->activateWindow();
        QCoreApplication::processEvents();
    }
}

} // namespace

QWidget* findWidget(QWidget* root, const QString& name) {
    if (root->objectName() == name)
        return root;
    QWidget* w = root->findChild<QWidget*>(name);
    if (!w)
        QTest::qFail(qPrintable(QStringLiteral("no control named ") + name), __FILE__, __LINE__);
    return w;
}

void type(QWidget* root, const QString& name, const QString& text) {
    QWidget* w = findWidget(root, name);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(text);
        emit edit->textEdited(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        combo->setEditText(text);
    } else {
        QTest::qFail(qPrintable(name + QStringLiteral(" takes no typing")), __FILE__, __LINE__);
    }
}

void choose(QWidget* root, const QString& name, const QString& entry) {
    auto* combo = find<QComboBox>(root, name);
    const int at = combo->findText(entry, Qt::MatchExactly);
    if (at < 0) {
        QTest::qFail(qPrintable(name + QStringLiteral(" has no entry ") + entry), __FILE__,
                     __LINE__);
        return;
    }
    // As a person does it: open the list, move to the entry, press Enter.
    combo->showPopup();
    QAbstractItemView* list = combo->view();
    list->setCurrentIndex(combo->model()->index(at, combo->modelColumn(), combo->rootModelIndex()));
    QTest::keyClick(list, Qt::Key_Return);
    if (list->isVisible() || combo->currentIndex() != at)
        QTest::qFail(qPrintable(name + QStringLiteral(": the list did not take the pick")),
                     __FILE__, __LINE__);
}

void click(QWidget* root, const QString& name) {
    auto* button = find<QAbstractButton>(root, name);
    if (!button->isEnabled())
        QTest::qFail(qPrintable(name + QStringLiteral(" is disabled")), __FILE__, __LINE__);
    button->click();
}

void clickLabel(QWidget* root, const QString& name, bool doubleClick) {
    auto* label = find<ui::ClickableLabel>(root, name);
    if (doubleClick)
        QTest::mouseDClick(label, Qt::LeftButton);
    else
        QTest::mouseClick(label, Qt::LeftButton);
}

void focusIn(QWidget* root, const QString& name) {
    QWidget* w = findWidget(root, name);
    activate(w);
    w->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
}

void leave(QWidget* root, const QString& name) {
    QWidget* w = findWidget(root, name);
    if (!w->hasFocus())
        focusIn(root, name);
    // Focus goes to the window itself, which is no control with a handler.
    w->window()->setFocus(Qt::TabFocusReason);
    if (w->hasFocus())
        w->clearFocus();
    QCoreApplication::processEvents();
}

void pressEnter(QWidget* root, const QString& name) {
    QWidget* w = findWidget(root, name);
    activate(w);
    w->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(w, Qt::Key_Return);
}

QString textOf(QWidget* root, const QString& name) {
    QWidget* w = findWidget(root, name);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return combo->currentText();
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    return w->property("text").toString();
}

QStringList entries(QWidget* root, const QString& name) {
    auto* combo = find<QComboBox>(root, name);
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

QStringList sortedEntries(QWidget* root, const QString& name) {
    QStringList out = entries(root, name);
    out.sort();
    return out;
}

} // namespace support
