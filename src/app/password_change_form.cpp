#include "app/password_change_form.h"

#include "core/config.h"
#include "integrations/sms.h"
#include "ui/action_policy.h"
#include "ui/dialogs.h"
#include "ui/enter_navigation.h"
#include "ui/waiting_action.h"
#include "ui_password_change_form.h"

#include <QCloseEvent>

namespace app {

namespace {

const QString title = QStringLiteral("ZEL");

} // namespace

QString passwordChangedSms(const QString& name, const QString& supportPhone) {
    return QStringLiteral("DEAR ") + name +
           QStringLiteral(" YOUR ZEL CRM PASSWORD HAS BEEN CHANGED IF YOU ARE NOT PLEASE CALL ") +
           supportPhone;
}

QString passwordFieldsProblem(const QString& user, const QString& oldPassword,
                              const QString& newPassword, const QString& repeated) {
    if (user.isEmpty() || oldPassword.isEmpty() || newPassword.isEmpty() || repeated.isEmpty())
        return QStringLiteral("BLANK NOT ALLOWED");
    if (newPassword != repeated)
        return QStringLiteral("NEW PASSWORD AND REPEAT PASSWORD MISMATCH PLEASE TRY AGAIN");
    return {};
}

PasswordChangeForm::PasswordChangeForm(core::AppContext& app, QWidget* parent)
    : QWidget(parent)
    , m_app(app)
    , m_ui(std::make_unique<Ui::PasswordChangeForm>())
    , m_db(app.database) {
    m_ui->setupUi(this);
    ui::enterMovesFocus({m_ui->Text1, m_ui->Text2, m_ui->Text3, m_ui->Text4});
    connect(m_ui->Command1, &QPushButton::clicked, this, &PasswordChangeForm::change);
}

PasswordChangeForm::~PasswordChangeForm() = default;

void PasswordChangeForm::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closed();
}

void PasswordChangeForm::change() {
    const QString problem = passwordFieldsProblem(m_ui->Text1->text(), m_ui->Text2->text(),
                                                  m_ui->Text3->text(), m_ui->Text4->text());
    if (!problem.isEmpty()) {
        m_app.dialogs.message(problem, title, ui::Icon::Information);
        return;
    }
    // The SMS notice waits on the gateway with the UI live; a close meanwhile
    // must not free the window under this action.
    const ui::WaitingAction wait(this);
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        // A workstation set up without the SMS account learns so before the
        // password changes, not after.
        const Notice notice{integrations::SmsAccount::fromConfig(m_app.config),
                            m_app.config.required(QStringLiteral("app/support_phone"))};
        m_db.open();
        changeStoredPassword(notice);
        m_db.close();
    });
}

void PasswordChangeForm::changeStoredPassword(const Notice& notice) {
    const QString user = m_ui->Text1->text();
    const QString select = QStringLiteral("SELECT * FROM CRM WHERE CRM_ID=?");
    QString name;
    for (auto row = m_db.query(select, {db::text(user)}); !row.atEnd(); row.next())
        name = row.trimmed(0);
    if (name.isEmpty()) {
        m_app.dialogs.message(QStringLiteral("INCORRECT USER ID PLEASE TRY AGAIN"), title,
                              ui::Icon::Information);
        return;
    }
    const auto first = m_db.query(select, {db::text(user)});
    // Unlike the login, the old password must match letter for letter.
    if (m_ui->Text2->text() != first.trimmed(3)) {
        m_app.dialogs.message(QStringLiteral("INCORRECT OLD PASSWORD TRY AGAIN"), title,
                              ui::Icon::Information);
        return;
    }
    const QString firstName = first.trimmed(0);
    m_db.execute(QStringLiteral("UPDATE CRM SET PASSWORD=?WHERE CRM_ID=? "),
                 {db::text(m_ui->Text4->text()), db::text(user)});
    m_app.dialogs.message(QStringLiteral("PASSWORD CHANGED SUCCESSFULLY"), title,
                          ui::Icon::Information);
    integrations::smsMessageSend(notice.account, m_app.config.waitLimitSeconds(), user,
                                 passwordChangedSms(firstName, notice.supportPhone));
}

} // namespace app
