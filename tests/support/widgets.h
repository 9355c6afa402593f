#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

// Driving a screen the way a person would: find a control by its objectName,
// type into it, choose a list entry, click, move the focus.
namespace support {

// The named child of root (or root itself); fails the test when missing.
QWidget* findWidget(QWidget* root, const QString& name);

template <class T> T* find(QWidget* root, const QString& name) {
    T* w = qobject_cast<T*>(findWidget(root, name));
    if (!w)
        QTest::qFail(qPrintable(name + QStringLiteral(" is not of the expected kind")), __FILE__,
                     __LINE__);
    return w;
}

// Replaces the text of a line edit or an editable combo box, as typed.
void type(QWidget* root, const QString& name, const QString& text);
// Chooses the entry with this text in a combo box as a person does: opens
// its list, moves to the entry and presses Enter.
void choose(QWidget* root, const QString& name, const QString& entry);
void click(QWidget* root, const QString& name);
// Clicks a label (a ui::ClickableLabel) once or twice.
void clickLabel(QWidget* root, const QString& name, bool doubleClick = false);
// Moves the keyboard focus to the control, then away from it, so its
// focus-in and focus-out handlers run.
void focusIn(QWidget* root, const QString& name);
void leave(QWidget* root, const QString& name);
// Presses Enter in the control.
void pressEnter(QWidget* root, const QString& name);
QString textOf(QWidget* root, const QString& name);
// The entries of a combo box, in order.
QStringList entries(QWidget* root, const QString& name);
// The same, sorted: for lists whose statements leave the order open.
QStringList sortedEntries(QWidget* root, const QString& name);

} // namespace support
