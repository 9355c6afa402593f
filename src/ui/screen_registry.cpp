#include "ui/screen_registry.h"

#include "ui/enter_navigation.h"
#include "ui/list_box.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QStyle>

namespace ui {

namespace {

QMdiSubWindow* subWindowOf(QWidget* screen) {
    return qobject_cast<QMdiSubWindow*>(screen->parentWidget());
}

void bringToFront(QWidget* screen) {
    if (QMdiSubWindow* sub = subWindowOf(screen)) {
        if (sub->isMinimized())
            sub->showMaximized();
        if (QMdiArea* area = sub->mdiArea())
            area->setActiveSubWindow(sub);
        return;
    }
    if (screen->isMinimized())
        screen->setWindowState(screen->windowState() & ~Qt::WindowMinimized);
    screen->show();
    screen->raise();
    screen->activateWindow();
}

void showInArea(QMdiArea* area, QWidget* screen) {
    QMdiSubWindow* sub = area->addSubWindow(screen);
    // The frame would otherwise stay behind, empty, when a screen closes
    // itself. Queued, because the frame may be the one deleting the screen.
    QObject::connect(screen, &QObject::destroyed, sub, &QWidget::close, Qt::QueuedConnection);
    sub->showMaximized();
}

void showAlone(QWidget* screen) {
    if (!screen->isWindow())
        screen->setWindowFlag(Qt::Window);
    screen->show();
}

} // namespace

QWidget* ScreenRegistry::open(const QString& name, const std::function<QWidget*()>& factory,
                              Placement placement) {
    if (QWidget* existing = find(name)) {
        bringToFront(existing);
        return existing;
    }
    enterPressesButtons();
    QWidget* screen = factory();
    if (!screen)
        return nullptr;
    screen->setAttribute(Qt::WA_DeleteOnClose);
    if (screen->objectName().isEmpty())
        screen->setObjectName(name);
    fitListBoxes(screen);
    m_open.insert(name, screen);
    if (placement == Placement::Child && m_area)
        showInArea(m_area, screen);
    else
        showAlone(screen);
    return screen;
}

QWidget* ScreenRegistry::find(const QString& name) const {
    QWidget* screen = m_open.value(name);
    // A closed screen lives on until the event loop deletes it; closing takes
    // its delete-on-close mark away, and from then on it counts as gone.
    if (!screen || !screen->testAttribute(Qt::WA_DeleteOnClose))
        return nullptr;
    return screen;
}

void ScreenRegistry::closeAll() {
    const QList<QPointer<QWidget>> screens = m_open.values();
    for (const QPointer<QWidget>& screen : screens) {
        if (!screen || !screen->testAttribute(Qt::WA_DeleteOnClose))
            continue;
        if (QMdiSubWindow* sub = subWindowOf(screen))
            sub->close();
        else
            screen->close();
    }
}

void centreOnScreen(QWidget* window) {
    if (QScreen* screen = window->screen())
        window->setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window->size(),
                                                screen->availableGeometry()));
}

} // namespace ui
