#pragma once

#include <QPointer>
#include <QWidget>

namespace ui {

// Marks an action of a screen for as long as it waits on something outside
// (a web page, a gateway, a mail server) with the UI live. The operator may
// close the screen meanwhile: the close is held back until the last waiting
// action of the screen has ended, then carried out. Should the screen go all
// the same (its main window destroyed), screenGone() tells the action to
// return without touching it.
class WaitingAction {
public:
    explicit WaitingAction(QWidget* screen);
    ~WaitingAction();
    WaitingAction(const WaitingAction&) = delete;
    WaitingAction& operator=(const WaitingAction&) = delete;

    bool screenGone() const { return m_screen.isNull(); }

private:
    QPointer<QWidget> m_screen;
};

// Whether a waiting action of the screen is running now.
bool isWaiting(const QWidget* screen);

} // namespace ui
