#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

// Hostile texts driven through a screen's own controls: what an operator (or
// a pasted clipboard) can put into any box, and what would break a statement,
// a URL, a JSON body or a mail if a value were ever spliced into one.
namespace support {

struct HostileValue {
    const char* name;
    QString text;
};
const QList<HostileValue>& hostileValues();

// The controls of a screen an operator can type into, by name: every enabled,
// writable line edit, editable combo box and text box, sorted.
QStringList textInputs(QWidget* root);

// Puts the text into the control as typed (line edit, editable combo box,
// text box) and returns what the control then holds.
QString enterText(QWidget* root, const QString& name, const QString& text);

// The rows with every occurrence of the given texts (longest first) replaced
// by one mark, so a run with hostile values compares with a run with plain
// ones: any other difference is a value stored altered or another row changed.
QStringList masked(QStringList rows, QStringList texts);

} // namespace support
