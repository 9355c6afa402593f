#include "app/navigator.h"

#include "app/login_form.h"
#include "app/password_change_form.h"

#include "ui/screen_registry.h"

#include <QScreen>

namespace app {

Navigator::Navigator(core::AppContext& app, QList<MainWindow::MenuItem> menu)
    : m_app(app)
    , m_menu(std::move(menu)) {}

Navigator::~Navigator() {
    delete m_login;
    delete m_main;
    delete m_passwordChange;
}

void Navigator::showLogin() {
    if (m_login) {
        m_login->raise();
        return;
    }
    m_login = new LoginForm(m_app);
    m_login->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_login, &LoginForm::signedIn, this, &Navigator::showMain);
    connect(m_login, &LoginForm::changePasswordRequested, this, &Navigator::showPasswordChange);
    ui::centreOnScreen(m_login);
    m_login->show();
}

void Navigator::showMain() {
    m_main = new MainWindow(m_app, m_menu);
    m_main->setAttribute(Qt::WA_DeleteOnClose);
    // Fill the screen even where no window manager maximizes windows.
    if (QScreen* screen = m_main->screen())
        m_main->setGeometry(screen->availableGeometry());
    m_main->showMaximized();
}

void Navigator::showPasswordChange() {
    m_passwordChange = new PasswordChangeForm(m_app);
    m_passwordChange->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_passwordChange, &PasswordChangeForm::closed, this, &Navigator::showLogin);
    ui::centreOnScreen(m_passwordChange);
    m_passwordChange->show();
}

} // namespace app
