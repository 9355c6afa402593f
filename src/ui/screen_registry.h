#pragma once

#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

class QMdiArea;

namespace ui {

// Each screen exists at most once. open() raises the existing window with
// its contents as left, or builds it with the factory; a closed screen is
// destroyed, so the next open() loads it afresh. Child screens open maximized
// inside the main window's MDI area, the others as top-level windows.
class ScreenRegistry {
public:
    enum class Placement { Child, TopLevel };

    explicit ScreenRegistry(QMdiArea* area = nullptr)
        : m_area(area) {}
    void setArea(QMdiArea* area) { m_area = area; }

    // The screen's objectName is its key ("Form1").
    QWidget* open(const QString& name, const std::function<QWidget*()>& factory,
                  Placement placement = Placement::Child);
    template <class T>
    T* open(const QString& name, const std::function<T*()>& factory,
            Placement placement = Placement::Child) {
        return static_cast<T*>(open(name, std::function<QWidget*()>(factory), placement));
    }

    // The open screen with this name, or null.
    QWidget* find(const QString& name) const;
    // Closes every open screen (the main window's closing).
    void closeAll();

private:
    QMdiArea* m_area;
    QHash<QString, QPointer<QWidget>> m_open;
};

// Puts a top-level window in the middle of the screen it is on.
void centreOnScreen(QWidget* window);

} // namespace ui
