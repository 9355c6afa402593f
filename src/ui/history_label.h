#pragma once

#include <QLabel>

namespace ui {

// A word-wrapped label for a text that only grows (a complaint's history),
// shown in a scroll area so a long history never pushes the screen's buttons
// off the desktop. A plain QLabel works out its size hints by laying the
// whole text out at several trial widths each time the text changes; this
// one's hints do not depend on the text, and its height for the one width
// the scroll area gives it is worked out once per text and width. Promoted
// from QLabel in the .ui files.
class HistoryLabel : public QLabel {
    Q_OBJECT
public:
    explicit HistoryLabel(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    int heightForWidth(int width) const override;

private:
    QSize framed(int columns, int lines) const;
    mutable QString m_measuredText;
    mutable int m_measuredWidth = -1;
    mutable int m_measuredHeight = 0;
};

} // namespace ui
