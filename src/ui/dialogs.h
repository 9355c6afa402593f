#pragma once

#include <QString>

class QWidget;

namespace ui {

enum class Icon { None, Information, Exclamation, Critical, Question };

// Modal messages and Yes/No questions. The product shows QMessageBox; tests
// use a scripted double that records every message and answers from a queue.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // An empty title stands for the application's own title.
    virtual void message(const QString& text, const QString& title = {},
                         Icon icon = Icon::None) = 0;
    virtual bool askYesNo(const QString& text, const QString& title = {}) = 0;
};

class MessageBoxDialogs final : public Dialogs {
public:
    explicit MessageBoxDialogs(QString appTitle)
        : m_appTitle(std::move(appTitle)) {}
    void message(const QString& text, const QString& title, Icon icon) override;
    bool askYesNo(const QString& text, const QString& title) override;

private:
    QString titleOr(const QString& title) const { return title.isEmpty() ? m_appTitle : title; }
    QString m_appTitle;
};

} // namespace ui
