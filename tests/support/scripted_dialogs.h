#pragma once

#include "ui/dialogs.h"

#include <QList>
#include <QQueue>
#include <QString>

namespace support {

// Stands in for the operator at the message boxes: records every message and
// question in order, answers questions from a queue the test fills. A
// question with no answer queued fails the running test.
class ScriptedDialogs final : public ui::Dialogs {
public:
    struct Shown {
        QString text;
        QString title; // as passed; empty means the application's title
        ui::Icon icon = ui::Icon::None;
        bool question = false;
        bool operator==(const Shown&) const = default;
    };

    void message(const QString& text, const QString& title, ui::Icon icon) override;
    bool askYesNo(const QString& text, const QString& title) override;

    void answer(bool yes) { m_answers.enqueue(yes); }
    const QList<Shown>& shown() const { return m_shown; }
    QStringList texts() const;
    QString last() const { return m_shown.isEmpty() ? QString() : m_shown.last().text; }
    void clear() { m_shown.clear(); }
    int unanswered() const { return int(m_answers.size()); }

private:
    QList<Shown> m_shown;
    QQueue<bool> m_answers;
};

} // namespace support
