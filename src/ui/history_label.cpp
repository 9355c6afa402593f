#include "ui/history_label.h"

namespace ui {

HistoryLabel::HistoryLabel(QWidget* parent)
    : QLabel(parent) {}

QSize HistoryLabel::framed(int columns, int lines) const {
    const QFontMetrics metrics = fontMetrics();
    const QMargins margins = contentsMargins();
    const int extra = 2 * margin();
    return {metrics.averageCharWidth() * columns + margins.left() + margins.right() + extra,
            metrics.lineSpacing() * lines + margins.top() + margins.bottom() + extra};
}

QSize HistoryLabel::sizeHint() const {
    return framed(40, 4);
}

QSize HistoryLabel::minimumSizeHint() const {
    return framed(10, 1);
}

int HistoryLabel::heightForWidth(int width) const {
    // The text is compared whole (a shared copy compares at once when
    // nothing changed), since QLabel::setText cannot be watched.
    if (width != m_measuredWidth || text() != m_measuredText) {
        m_measuredText = text();
        m_measuredWidth = width;
        m_measuredHeight = QLabel::heightForWidth(width);
    }
    return m_measuredHeight;
}

} // namespace ui
