#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace oltd {

// What a terminal would show of one line the device printed: printable text
// written at the cursor, backspace and cursor-left moving it back, carriage
// return moving it to the start, erase-to-end honoured, every other control
// and escape sequence dropped, trailing blanks trimmed. Pager markers that
// the device rubs out ("--More--" + BS/blank/BS, Huawei's ESC[37D runs) and
// the " ESC[1D" pairs in echoed input thus leave nothing behind.
QString terminalLine(QStringView raw);

// Every line of a device's output through terminalLine(), joined with "\n".
// LF, CR LF and LF CR each end a line.
QString terminalText(QByteArrayView raw);

// An answer's lines for a reader: LF, CR LF, LF CR or a lone CR end a line,
// trailing blanks are trimmed.
QStringList answerLines(const QString& answer);

} // namespace oltd
