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

// The width a box needs to show a text this many pixels wide, with its frame
// and its arrow, measured the way the box measures its entries.
int boxWidthFor(const QComboBox* box, int textWidth) {
    QStyleOptionComboBox option;
    option.initFrom(box);
    option.editable = box->isEditable();
    option.frame = box->hasFrame();
    return box->style()
        ->sizeFromContents(QStyle::CT_ComboBox, &option, QSize(textWidth, 0), box)
        .width();
}

// Only ever wider, up to the box's limit: a box that narrowed would move the
// controls beside it.
void widenToShow(QComboBox* box, int textWidth) {
    const int needed = std::min(boxWidthFor(box, textWidth), box->maximumWidth());
    if (needed > box->minimumWidth())
        box->setMinimumWidth(needed);
}

void widenToShowEntries(QComboBox* box, int first, int last) {
    int widest = 0;
    for (int i = first; i <= last; ++i)
        widest = std::max(widest, box->fontMetrics().horizontalAdvance(box->itemText(i)));
    widenToShow(box, widest);
}

// The box widens to show every entry it is given and every text the screen
// puts in it that is no entry (a prompt such as "UP/DOWN TIME", a value
// looked up), and stays that wide while the screen is open, so picking an
// entry or refilling the list moves nothing beside it. Text the operator types
// scrolls inside the box instead.
void fitToEntries(QComboBox* box) {
    const int widest =
        box->fontMetrics().horizontalAdvance(QLatin1Char('X')) * widestListInCharacters;
    box->setMaximumWidth(std::min(box->maximumWidth(), widest)); // a form's own limit holds
    widenToShowEntries(box, 0, box->count() - 1);
    QObject::connect(
        box->model(), &QAbstractItemModel::rowsInserted, box,
        [box](const QModelIndex&, int first, int last) { widenToShowEntries(box, first, last); });
    QLineEdit* edit = box->lineEdit();
    if (!edit)
        return;
    const auto fitText = [box, edit] {
        if (!edit->isModified())
            widenToShow(box, box->fontMetrics().horizontalAdvance(box->currentText()));
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

bool isList(const QLayoutItem* item) {
    return qobject_cast<const QComboBox*>(item->widget()) != nullptr;
}

// A value that stands after a list, so its growing could push the list.
bool holdsValueAfterList(const QBoxLayout* box) {
    bool list = false;
    for (int i = 0; i < box->count(); ++i) {
        if (list && showsValue(box->itemAt(i)->widget()))
            return true;
        list = list || isList(box->itemAt(i));
    }
    return false;
}

// Without stretch factors Qt shares a row's spare width among everything that
// may grow (text boxes, spacers), and a value that grows takes its share from
// the text boxes before the lists, so the lists slide left. With the spare
// width given to the row's spacer, or else to its values, every control before
// a value keeps its width. A stretch the form sets itself stays.
void giveSpareWidthToValues(QBoxLayout* box) {
    if (!isHorizontal(box) || hasStretch(box) || !holdsValueAfterList(box))
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

struct Columns {
    int first = 0;
    int last = 0;
};

Columns columnsOf(QGridLayout* grid, int index) {
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
    return {column, column + columnSpan - 1};
}

// The same in a grid: the columns of values that stand right of every list
// take the spare width, so the columns up to the lists keep theirs. Where
// values share columns with lists, the form is left as it is: its columns
// share the spare width, and a value moves the lists only once it outgrows
// its column's share.
void giveSpareWidthToValues(QGridLayout* grid) {
    for (int c = 0; c < grid->columnCount(); ++c)
        if (grid->columnStretch(c) != 0)
            return;
    int lastListColumn = -1;
    for (int i = 0; i < grid->count(); ++i)
        if (isList(grid->itemAt(i)))
            lastListColumn = std::max(lastListColumn, columnsOf(grid, i).last);
    if (lastListColumn < 0)
        return;
    for (int i = 0; i < grid->count(); ++i) {
        QWidget* value = grid->itemAt(i)->widget();
        const Columns columns = columnsOf(grid, i);
        if (!showsValue(value) || columns.first <= lastListColumn)
            continue;
        for (int c = columns.first; c <= columns.last; ++c)
            grid->setColumnStretch(c, 1);
        // As wide as its text, not the column: a value shown on a colour (a
        // site's state) would otherwise paint a bar across the screen.
        if (!grid->itemAt(i)->alignment())
            grid->setAlignment(value, Qt::AlignLeft | Qt::AlignVCenter);
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
