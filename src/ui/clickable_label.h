#pragma once

#include <QLabel>

namespace ui {

// A label that acts on a click or a double click (the screens' hyperlink-like
// captions). Promoted from QLabel in the .ui files.
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickableLabel(QWidget* parent = nullptr);

signals:
    void clicked();
    void doubleClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The release that ends a double click is not a click of its own.
    bool m_releaseEndsDoubleClick = false;
};

} // namespace ui
