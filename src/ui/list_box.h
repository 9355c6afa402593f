#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class QComboBox;
class QEvent;

// The screens' list boxes keep their list and their text apart: filling the
// list must not put an entry nobody chose into the box.
namespace ui {

// Adds entries after the existing ones; the box keeps its text and nothing
// becomes chosen.
void appendEntries(QComboBox* box, const QStringList& entries);
void appendEntry(QComboBox* box, const QString& entry);
// Replaces the whole list and shows `text` in the box.
void replaceEntries(QComboBox* box, const QStringList& entries, const QString& text);

// Runs `handler` when the operator picks an entry from the box's list: a
// click or Enter in the open list, or the arrow keys (type-ahead too, where
// the box has no editable text) in the closed one. Text typed into the box is
// never a pick, not even when it matches an entry as the box loses the focus
// or gets Enter, and it stays as typed: no completion, no change of case.
// The mouse wheel over a closed box changes nothing. Every list handler of
// every screen is connected through here.
void onListPick(QComboBox* box, QObject* context, std::function<void()> handler);
template <class Screen> void onListPick(QComboBox* box, Screen* screen, void (Screen::*handler)()) {
    onListPick(box, screen, [screen, handler] { (screen->*handler)(); });
}
// The typed-text half of the above, for a box without a handler; the second
// form covers every list box of a screen (its constructor calls it).
void keepTypedText(QComboBox* box);
void keepTypedText(QWidget* screen);

// Every list box of the screen is wide enough for its longest entry and for
// any text the screen puts in it (up to a sane limit), also as its list is
// refilled, and never narrows while the screen is open; and a value that grows
// (a label with an accessible description) takes the spare width of its row or
// grid. So the lists keep their place. The screen registry applies it to every
// screen it opens.
void fitListBoxes(QWidget* screen);

// True for a focus-out that moves to another control of the screen; focus
// taken by another window (a message box, a menu, a popup) is no leaving.
bool leavesForAnotherControl(const QEvent* event);

} // namespace ui
