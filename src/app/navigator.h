#pragma once

#include "app/login_form.h"
#include "app/main_window.h"
#include "app/password_change_form.h"
#include "core/app_context.h"

#include <QObject>
#include <QPointer>

namespace app {

// The way through the process: the login window first; from it either the
// main window (after a sign-in) or the password change, which leads back to
// the login window when it closes.
class Navigator : public QObject {
    Q_OBJECT
public:
    Navigator(core::AppContext& app, QList<MainWindow::MenuItem> menu);
    ~Navigator() override;

    void showLogin();
    LoginForm* login() const { return m_login; }
    MainWindow* mainWindow() const { return m_main; }
    PasswordChangeForm* passwordChange() const { return m_passwordChange; }

private:
    void showMain();
    void showPasswordChange();

    core::AppContext& m_app;
    QList<MainWindow::MenuItem> m_menu;
    QPointer<LoginForm> m_login;
    QPointer<MainWindow> m_main;
    QPointer<PasswordChangeForm> m_passwordChange;
};

} // namespace app
