#include "ui/list_box.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <algorithm>

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

// Wider than this, a list box would push the screen past the monitor; an
// entry this long is cut rather than the whole screen.
constexpr int widestListInCharacters = 60;

// The width a box needs to show this text whole, measured the way the box
// measures its entries.
int widthToShow(const QComboBox* box, const QString& text) {
    QStyleOptionComboBox option;
    option.initFrom(box);
    option.editable = box->isEditable();
    option.frame = box->hasFrame();
    const QSize contents(box->fontMetrics().horizontalAdvance(text), 0);
    return box->style()->sizeFromContents(QStyle::CT_ComboBox, &option, contents, box).width();
}

// Qt measures every entry for this policy, and again whenever the list
// changes, so the box is never narrower than its longest entry. A text the
// screen puts in the box that is no entry (a prompt such as "UP/DOWN TIME",
// a value looked up) widens it as well, and the box stays that wide, so
// picking a shorter entry later moves nothing. Text the operator types
// scrolls inside the box instead: the controls beside it stay where they are.
void fitToEntries(QComboBox* box) {
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    box->setMaximumWidth(box->fontMetrics().averageCharWidth() * widestListInCharacters);
    QLineEdit* edit = box->lineEdit();
    if (!edit)
        return;
    const auto fitText = [box, edit] {
        if (edit->isModified())
            return;
        const int needed = std::min(widthToShow(box, box->currentText()), box->maximumWidth());
        if (needed > box->minimumWidth())
            box->setMinimumWidth(needed);
    };
    QObject::connect(box, &QComboBox::editTextChanged, box, fitText);
    fitText();
}

// A label that shows a value says what it is in its accessible description;
// a caption does not.
bool showsValue(const QWidget* widget) {
    const auto* label = qobject_cast<const QLabel*>(widget);
    return label && !label->accessibleDescription().isEmpty();
}

bool isHorizontal(const QBoxLayout* box) {
    return box->direction() == QBoxLayout::LeftToRight ||
           box->direction() == QBoxLayout::RightToLeft;
}

bool hasStretch(const QBoxLayout* box) {
    for (int i = 0; i < box->count(); ++i)
        if (box->stretch(i) != 0)
            return true;
    return false;
}

bool holdsValue(const QBoxLayout* box) {
    for (int i = 0; i < box->count(); ++i)
        if (showsValue(box->itemAt(i)->widget()))
            return true;
    return false;
}

// Without stretch factors Qt shares a row's spare width among everything that
// may grow (text boxes, spacers), and a value that grows takes its share from
// the text boxes before the lists, so the lists slide left. With the spare
// width given to the row's spacer, or else to its values, every control before
// a value keeps its width. A stretch the form sets itself stays.
void giveSpareWidthToValues(QBoxLayout* box) {
    if (!isHorizontal(box) || hasStretch(box) || !holdsValue(box))
        return;
    bool spacer = false;
    for (int i = 0; i < box->count(); ++i)
        spacer = spacer || box->itemAt(i)->spacerItem();
    for (int i = 0; i < box->count(); ++i) {
        QLayoutItem* item = box->itemAt(i);
        if (spacer ? item->spacerItem() != nullptr : showsValue(item->widget()))
            box->setStretch(i, 1);
    }
}

// The same in a grid: the columns that show values take the spare width.
void giveSpareWidthToValues(QGridLayout* grid) {
    for (int c = 0; c < grid->columnCount(); ++c)
        if (grid->columnStretch(c) != 0)
            return;
    for (int i = 0; i < grid->count(); ++i) {
        if (!showsValue(grid->itemAt(i)->widget()))
            continue;
        int row, column, rowSpan, columnSpan;
        grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
        for (int c = column; c < column + columnSpan; ++c)
            grid->setColumnStretch(c, 1);
    }
}

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

void fitListBoxes(QWidget* screen) {
    for (QComboBox* box : screen->findChildren<QComboBox*>())
        fitToEntries(box);
    for (QBoxLayout* box : screen->findChildren<QBoxLayout*>())
        giveSpareWidthToValues(box);
    for (QGridLayout* grid : screen->findChildren<QGridLayout*>())
        giveSpareWidthToValues(grid);
}

bool leavesForAnotherControl(const QEvent* event) {
    if (event->type() != QEvent::FocusOut)
        return false;
    const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

} // namespace ui
