#include "ui/list_box.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>

namespace ui {

namespace {

// A closed box ignores the wheel: it would change the entry shown without
// anybody picking it.
class IgnoreWheel final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Wheel)
            return true;
        return QObject::eventFilter(watched, event);
    }
};

const char* const typedTextKept = "zelTypedTextKept";

} // namespace

void keepTypedText(QComboBox* box) {
    if (box->property(typedTextKept).toBool())
        return;
    box->setProperty(typedTextKept, true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->installEventFilter(new IgnoreWheel(box));
    QLineEdit* edit = box->lineEdit();
    if (!edit)
        return;
    box->setCompleter(nullptr);
    // The box's own reactions to leaving its text and to Enter look the text
    // up in the list (ignoring case), make the match current, rewrite the
    // text to the entry's spelling and report an activation. None of that is
    // a pick.
    QObject::disconnect(edit, &QLineEdit::editingFinished, box, nullptr);
    QObject::disconnect(edit, &QLineEdit::returnPressed, box, nullptr);
}

void keepTypedText(QWidget* screen) {
    for (QComboBox* box : screen->findChildren<QComboBox*>())
        keepTypedText(box);
}

void onListPick(QComboBox* box, QObject* context, std::function<void()> handler) {
    keepTypedText(box);
    // With the text's own reactions gone, what is left to activate the box is
    // the list (popup click or Enter) and the keys that step through it.
    QObject::connect(box, &QComboBox::activated, context,
                     [handler = std::move(handler)] { handler(); });
}

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
