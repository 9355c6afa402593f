#pragma once

#include <QObject>
#include <initializer_list>

class QWidget;

namespace ui {

// Enter in any of the given controls moves the focus to the next control in
// the tab order; the key is swallowed, so it neither submits nor beeps.
void enterMovesFocus(std::initializer_list<QWidget*> controls);
void enterMovesFocus(QWidget* control);

// Enter or Return on a focused, enabled button presses it, once, in every
// window of the application. Installed once; the screen registry, the Enter
// navigation above and the client's start all ask for it.
void enterPressesButtons();

} // namespace ui
