#include "masterdata/engineer_form.h"

#include "ui/action_policy.h"
#include "ui/dialogs.h"
#include "ui/list_box.h"
#include "ui_engineer_form.h"

namespace masterdata {

namespace {

const QString vuva = QStringLiteral("VUVA");

} // namespace

EngineerForm::EngineerForm(core::AppContext& app, QWidget* parent)
    : QWidget(parent)
    , m_app(app)
    , m_ui(std::make_unique<Ui::EngineerForm>())
    , m_db(app.database) {
    m_ui->setupUi(this);
    ui::keepTypedText(this);
    ui::onListPick(m_ui->Combo1, this, &EngineerForm::showChosen);
    connect(m_ui->Command1, &QPushButton::clicked, this, &EngineerForm::add);
    connect(m_ui->Command2, &QPushButton::clicked, this, &EngineerForm::updatePhone);
    connect(m_ui->Command3, &QPushButton::clicked, this, &EngineerForm::search);
    connect(m_ui->Command4, &QPushButton::clicked, this, &EngineerForm::clear);
    load();
}

EngineerForm::~EngineerForm() = default;

void EngineerForm::load() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        QStringList names;
        for (auto row = m_db.query(QStringLiteral("SELECT * FROM engineer")); !row.atEnd();
             row.next())
            names << row.trimmed(0);
        m_db.close();
        ui::replaceEntries(m_ui->Combo1, names, QStringLiteral("Engineer List"));
    });
}

void EngineerForm::showPhoneOf(const QString& name, bool setName) {
    ui::stopOnError(m_app.dialogs, &m_db, [&] {
        m_db.open();
        for (auto row = m_db.query(QStringLiteral("SELECT * FROM engineer")); !row.atEnd();
             row.next()) {
            const QString stored = row.trimmed(0);
            if (stored != name)
                continue;
            if (setName)
                m_ui->Text1->setText(stored);
            m_ui->Text2->setText(row.trimmed(1));
        }
        m_db.close();
    });
}

void EngineerForm::showChosen() {
    showPhoneOf(m_ui->Combo1->currentText(), true);
}

void EngineerForm::search() {
    showPhoneOf(m_ui->Text1->text(), false);
}

// A new engineer joins the list at once, so the operator can pick the name
// without reopening the screen.
void EngineerForm::add() {
    const QString name = m_ui->Text1->text();
    const QString phone = m_ui->Text2->text();
    if (name.isEmpty() || phone.isEmpty()) {
        m_app.dialogs.message(QStringLiteral("Please insert all data"), vuva,
                              ui::Icon::Exclamation);
        return;
    }
    ui::stopOnError(m_app.dialogs, &m_db, [&] {
        m_db.open();
        m_db.execute(QStringLiteral("insert into engineer values(?,?,?)"),
                     {db::text(name), db::text(phone), db::text(m_ui->Text3->text())});
        m_db.close();
        ui::appendEntry(m_ui->Combo1, db::trimBlanks(name));
        m_app.dialogs.message(QStringLiteral("DATA SUBMITED SUCCESSFULY"), vuva,
                              ui::Icon::Information);
    });
}

// Every row of the name gets the number; a name with no row is told.
void EngineerForm::updatePhone() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        const QString name = m_ui->Text1->text();
        m_db.open();
        const int changed =
            m_db.execute(QStringLiteral("UPDATE engineer set Phone=?where Engineer=?"),
                         {db::text(m_ui->Text2->text()), db::text(name)});
        m_db.close();
        if (changed == 0)
            m_app.dialogs.message(QStringLiteral("NO ENGINEER %1").arg(name), vuva,
                                  ui::Icon::Exclamation);
        else
            m_app.dialogs.message(QStringLiteral("DATA UPDATED SUCCESSFULY"), vuva,
                                  ui::Icon::Information);
    });
}

void EngineerForm::clear() {
    m_ui->Text1->clear();
    m_ui->Text2->clear();
}

} // namespace masterdata
