#pragma once

#include "core/app_context.h"
#include "db/screen_db.h"
#include "integrations/sms.h"

#include <QWidget>
#include <memory>

namespace Ui {
class PasswordChangeForm;
}

namespace app {

// Changes an operator's password; the old password is the proof, and the
// account's mobile number gets an SMS notice of the change.
class PasswordChangeForm : public QWidget {
    Q_OBJECT
public:
    explicit PasswordChangeForm(core::AppContext& app, QWidget* parent = nullptr);
    ~PasswordChangeForm() override;

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void change();
    struct Notice {
        integrations::SmsAccount account;
        QString supportPhone;
    };
    // The operator's name when the password changed; empty when it did not.
    QString changeStoredPassword();

    core::AppContext& m_app;
    std::unique_ptr<Ui::PasswordChangeForm> m_ui;
    db::ScreenDb m_db;
};

// The notice sent after a change.
QString passwordChangedSms(const QString& name, const QString& supportPhone);

// The first message that refuses the typed fields, or empty when they pass.
QString passwordFieldsProblem(const QString& user, const QString& oldPassword,
                              const QString& newPassword, const QString& repeated);

} // namespace app
