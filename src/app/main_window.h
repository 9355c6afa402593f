#pragma once

#include "core/app_context.h"
#include "db/screen_db.h"

#include <QMainWindow>
#include <functional>

class QAction;
class QMdiArea;

namespace app {

// The frame of the work: one "OPEN" menu whose items open the work screens,
// each at most once. Closing it releases every account bound to this
// workstation and closes the screens inside it.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Builds a screen for a menu item; null for a screen this build lacks.
    using Factory = std::function<QWidget*(core::AppContext&)>;
    struct MenuItem {
        const char* name;    // the item's objectName ("M3")
        const char* caption; // "COMPLAIN"
        const char* screen;  // the screen's objectName ("Form3")
        bool child;          // inside the main window, maximized
        Factory factory;
    };

    explicit MainWindow(core::AppContext& app, QList<MenuItem> items, QWidget* parent = nullptr);

    QMdiArea* mdiArea() const { return m_area; }
    QAction* menuAction(const QString& name) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu(const QList<MenuItem>& items);
    void releaseWorkstation();

    core::AppContext& m_app;
    db::ScreenDb m_db;
    QMdiArea* m_area;
};

// The nine items of the "OPEN" menu, in order, with the screens that exist.
QList<MainWindow::MenuItem> standardMenu();

} // namespace app
