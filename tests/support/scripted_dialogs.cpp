#include "support/scripted_dialogs.h"

#include <QTest>

namespace support {

void ScriptedDialogs::message(const QString& text, const QString& title, ui::Icon icon) {
    m_shown.append({text, title, icon, false});
}

bool ScriptedDialogs::askYesNo(const QString& text, const QString& title) {
    m_shown.append({text, title, ui::Icon::Question, true});
    if (m_answers.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected question: ") + text), __FILE__,
                     __LINE__);
        return false;
    }
    return m_answers.dequeue();
}

QStringList ScriptedDialogs::texts() const {
    QStringList out;
    for (const Shown& s : m_shown)
        out << s.text;
    return out;
}

} // namespace support
