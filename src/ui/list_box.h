#pragma once

#include <QStringList>

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

// True for a focus-out that moves to another control of the screen; focus
// taken by another window (a message box, a menu, a popup) is no leaving.
bool leavesForAnotherControl(const QEvent* event);

} // namespace ui
