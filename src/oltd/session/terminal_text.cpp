#include "oltd/session/terminal_text.h"

#include <QStringList>

namespace oltd {

namespace {

constexpr QChar Esc = QChar(0x1b);

// A single line as a cursor-addressed row of cells.
class Row {
public:
    void put(QChar c) {
        if (m_cursor < m_text.size())
            m_text[m_cursor] = c;
        else
            m_text.append(QString(m_cursor - m_text.size(), QLatin1Char(' '))).append(c);
        ++m_cursor;
    }
    void left(qsizetype n) { m_cursor = std::max<qsizetype>(0, m_cursor - n); }
    void right(qsizetype n) { m_cursor += n; }
    void home() { m_cursor = 0; }
    void eraseToEnd() { m_text.truncate(m_cursor); }
    void eraseToStart() {
        for (qsizetype i = 0; i < std::min(m_cursor + 1, m_text.size()); ++i)
            m_text[i] = QLatin1Char(' ');
    }
    void eraseAll() { m_text.clear(); }
    QString text() const {
        qsizetype end = m_text.size();
        while (end > 0 && m_text.at(end - 1).isSpace())
            --end;
        return m_text.left(end);
    }

private:
    QString m_text;
    qsizetype m_cursor = 0;
};

// Applies the CSI sequence starting at raw[i] (the ESC); returns the index
// just past it. Only the cursor and erase commands change the row.
qsizetype csi(QStringView raw, qsizetype i, Row& row) {
    qsizetype j = i + 2;
    while (j < raw.size() && raw.at(j).unicode() >= 0x20 && raw.at(j).unicode() <= 0x3f)
        ++j;
    if (j >= raw.size())
        return raw.size(); // cut off: nothing to show yet
    const QStringView params = raw.sliced(i + 2, j - i - 2);
    bool numeric = false;
    const int n = params.toInt(&numeric);
    const char command = raw.at(j).toLatin1();
    switch (command) {
    case 'D':
        row.left(numeric && n > 0 ? n : 1);
        break;
    case 'C':
        row.right(numeric && n > 0 ? n : 1);
        break;
    case 'G':
        row.home();
        row.right(numeric && n > 1 ? n - 1 : 0);
        break;
    case 'K':
        if (params.isEmpty() || (numeric && n == 0))
            row.eraseToEnd();
        else if (numeric && n == 1)
            row.eraseToStart();
        else
            row.eraseAll();
        break;
    default: // colours, modes, scrolling: nothing a reader needs
        break;
    }
    return j + 1;
}

} // namespace

QString terminalLine(QStringView raw) {
    Row row;
    for (qsizetype i = 0; i < raw.size();) {
        const QChar c = raw.at(i);
        if (c == Esc) {
            if (i + 1 < raw.size() && raw.at(i + 1) == QLatin1Char('['))
                i = csi(raw, i, row);
            else
                i += 2; // a two-character escape (ESC 7, ESC =, ...)
            continue;
        }
        if (c == QLatin1Char('\b'))
            row.left(1);
        else if (c == QLatin1Char('\r'))
            row.home();
        else if (c == QLatin1Char('\t') || c.unicode() >= 0x20)
            row.put(c);
        ++i;
    }
    return row.text();
}

QString terminalText(QByteArrayView raw) {
    const QString text = QString::fromUtf8(raw);
    QStringList lines;
    for (QStringView line : QStringView(text).split(QLatin1Char('\n')))
        lines.append(terminalLine(line));
    return lines.join(QLatin1Char('\n'));
}

QStringList answerLines(const QString& answer) {
    QString t = answer;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList out = t.split(QLatin1Char('\n'));
    for (QString& l : out) {
        qsizetype end = l.size();
        while (end > 0 && l.at(end - 1).isSpace())
            --end;
        l.truncate(end);
    }
    return out;
}

} // namespace oltd
