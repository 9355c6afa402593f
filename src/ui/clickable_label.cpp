#include "ui/clickable_label.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <utility>

namespace ui {

ClickableLabel::ClickableLabel(QWidget* parent)
    : QLabel(parent) {
    setCursor(Qt::PointingHandCursor);
    // Reachable by Tab so keyboard users can act on it like a button, but a
    // mouse click leaves the focus where it was: taking it would run the
    // leave handler of the field being edited.
    setFocusPolicy(Qt::TabFocus);
}

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
    m_releaseEndsDoubleClick = false;
    if (event->button() == Qt::LeftButton)
        event->accept();
    else
        QLabel::mousePressEvent(event);
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool endsDoubleClick = std::exchange(m_releaseEndsDoubleClick, false);
    // A press dragged off the label and released elsewhere is no click.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        if (!endsDoubleClick)
            emit clicked();
        event->accept();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void ClickableLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_releaseEndsDoubleClick = true;
        emit doubleClicked();
        event->accept();
        return;
    }
    QLabel::mouseDoubleClickEvent(event);
}

void ClickableLabel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!event->isAutoRepeat())
            emit clicked();
        event->accept();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

} // namespace ui
