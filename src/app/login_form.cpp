#include "app/login_form.h"

#include "core/session.h"
#include "core/workstation.h"
#include "ui/action_policy.h"
#include "ui/dialogs.h"
#include "ui/enter_navigation.h"
#include "ui/workstation_macs.h"
#include "ui_login_form.h"

namespace app {

LoginForm::LoginForm(core::AppContext& app, QWidget* parent)
    : QWidget(parent)
    , m_app(app)
    , m_ui(std::make_unique<Ui::LoginForm>())
    , m_db(app.database) {
    m_ui->setupUi(this);
    ui::enterMovesFocus({m_ui->Text1, m_ui->Text2});
    connect(m_ui->Command1, &QPushButton::clicked, this, &LoginForm::login);
    connect(m_ui->Command2, &QPushButton::clicked, this, [this] {
        emit changePasswordRequested();
        close();
    });
}

LoginForm::~LoginForm() = default;

// Every step stands alone: a database that cannot be reached leaves the name
// empty, and the attempt ends as an invalid user id or password.
void LoginForm::login() {
    ui::ContinueOnError action(&m_db);
    QString name;
    QString storedMac;
    action.step([&] {
        // With no adapter holding an address, the address of the last attempt stays.
        const auto adapters = m_app.adapters.adapters();
        if (const QString ip = adapters ? core::workstationIp(*adapters) : QString(); !ip.isEmpty())
            m_workstationIp = ip;
    });
    action.step([&] { readAccount(name, storedMac); });
    if (name.isEmpty()) {
        action.step([&] { m_app.dialogs.message(QStringLiteral("INVALID USER ID OR PASSWORD")); });
    } else if (storedMac != QLatin1String("NA")) {
        action.step([&] { releaseHeldAccount(storedMac); });
    } else {
        action.step([&] { signIn(name); });
        m_db.close();
        emit signedIn();
        close();
        return;
    }
    action.step([&] { m_db.close(); });
}

void LoginForm::readAccount(QString& name, QString& storedMac) {
    m_db.open();
    auto row = m_db.query(QStringLiteral("select * from CRM where CRM_ID=? and PASSWORD=?"),
                          {db::text(m_ui->Text1->text()), db::text(m_ui->Text2->text())});
    for (; !row.atEnd(); row.next()) {
        name = row.trimmed(0);
        storedMac = row.trimmed(5);
    }
}

void LoginForm::releaseHeldAccount(const QString& storedMac) {
    const bool yes =
        m_app.dialogs.askYesNo(QStringLiteral("YOU ARE ALREADY LOGGED IN FROM ") + storedMac +
                                   QStringLiteral("LOG OUT PREVIOUS WINDOW"),
                               QStringLiteral("ZEL"));
    if (yes)
        m_db.execute(QStringLiteral("UPDATE CRM SET STATUS='IACTIVE',MAC='NA' WHERE CRM_ID=?"),
                     {db::text(m_ui->Text1->text())});
}

void LoginForm::signIn(const QString& name) {
    ui::ContinueOnError steps;
    steps.step([&] {
        m_workstationMac = ui::workstationMacOf(m_app.adapters, m_app.dialogs);
        m_db.execute(
            QStringLiteral("UPDATE CRM SET STATUS='ACTIVE',MAC=?,crm_ip=? WHERE CRM_ID=?"),
            {db::text(m_workstationMac), db::text(m_workstationIp), db::text(m_ui->Text1->text())});
    });
    m_app.dialogs.message(QStringLiteral("WELCOME ") + name + QStringLiteral(" TO ZEL CRM PORTAL"));
    m_app.session.setSignedInUser(name);
}

} // namespace app
