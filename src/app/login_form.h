#pragma once

#include "core/app_context.h"
#include "core/session.h"
#include "db/screen_db.h"

#include <QWidget>
#include <memory>

namespace Ui {
class LoginForm;
}

namespace app {

// The first window of the process, where an operator signs in. A sign-in
// binds the account to this workstation's MAC address; an account bound
// elsewhere is refused until it is released.
class LoginForm : public QWidget {
    Q_OBJECT
public:
    explicit LoginForm(core::AppContext& app, QWidget* parent = nullptr);
    ~LoginForm() override;

    // The signed-in operator's name, also kept in the session.
    QString signedInUser() const { return m_app.session.signedInUser(); }
    QString workstationIp() const { return m_workstationIp; }
    QString workstationMac() const { return m_workstationMac; }

signals:
    // The operator signed in; the main window takes over.
    void signedIn();
    // The operator wants to change a password.
    void changePasswordRequested();

private:
    void login();
    void readAccount(QString& name, QString& storedMac);
    void releaseHeldAccount(const QString& storedMac);
    void signIn(const QString& name);

    core::AppContext& m_app;
    std::unique_ptr<Ui::LoginForm> m_ui;
    db::ScreenDb m_db;
    QString m_workstationIp;
    QString m_workstationMac;
};

} // namespace app
