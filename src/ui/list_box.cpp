#include "ui/list_box.h"

#include <QComboBox>
#include <QFocusEvent>

namespace ui {

void appendEntries(QComboBox* box, const QStringList& entries) {
    const QString text = box->currentText();
    const int chosen = box->currentIndex();
    box->addItems(entries);
    box->setCurrentIndex(chosen);
    if (box->isEditable())
        box->setEditText(text);
}

void appendEntry(QComboBox* box, const QString& entry) {
    appendEntries(box, {entry});
}

void replaceEntries(QComboBox* box, const QStringList& entries, const QString& text) {
    box->clear();
    box->addItems(entries);
    box->setCurrentIndex(-1);
    if (box->isEditable())
        box->setEditText(text);
}

bool leavesForAnotherControl(const QEvent* event) {
    if (event->type() != QEvent::FocusOut)
        return false;
    const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

} // namespace ui
