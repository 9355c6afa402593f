#include "faults/ssa_contacts_form.h"

#include "faults/contact_save.h"
#include "ui/screen_registry.h"
#include "ui_ssa_contacts_form.h"

namespace faults {

SsaContactsForm::SsaContactsForm(core::AppContext& app, QWidget* parent)
    : QWidget(parent)
    , m_app(app)
    , m_ui(std::make_unique<Ui::SsaContactsForm>())
    , m_db(app.database) {
    m_ui->setupUi(this);
    connect(m_ui->Command1, &QPushButton::clicked, this, &SsaContactsForm::save);
}

SsaContactsForm::~SsaContactsForm() = default;

SsaContactsForm* SsaContactsForm::open(core::AppContext& app) {
    if (!app.screens)
        return nullptr;
    return app.screens->open<SsaContactsForm>(
        QStringLiteral("Form11"),
        [&app] {
            auto* form = new SsaContactsForm(app);
            ui::centreOnScreen(form);
            return form;
        },
        ui::ScreenRegistry::Placement::TopLevel);
}

QList<QLineEdit*> SsaContactsForm::boxes() const {
    return {m_ui->Text1, m_ui->Text2, m_ui->Text3, m_ui->Text4, m_ui->Text5,
            m_ui->Text6, m_ui->Text7, m_ui->Text8, m_ui->Text9, m_ui->Text10};
}

void SsaContactsForm::showNames(const QString& circle, const QString& ssa) {
    m_ui->Text1->setText(circle);
    m_ui->Text2->setText(ssa);
}

void SsaContactsForm::showContacts(const QStringList& contacts) {
    const QList<QLineEdit*> all = boxes();
    for (int i = 0; i < contacts.size() && i + 2 < all.size(); ++i)
        all[i + 2]->setText(contacts[i]);
}

// The circle box must be filled but is not written: the SSA name alone
// picks the rows.
void SsaContactsForm::save() {
    saveContacts(
        m_app, m_db, boxes(),
        QStringLiteral("UPDATE SSA SET FE=?,FE_MOBILE=?,SDE_BB_MOBILE=?,SDE_BB_EMAIL=?,"
                       "SDE_TX_MOBILE=?,SDE_TX_EMAIL=?,GM_MOBILE=?,GM_EMAIL=? WHERE SSA=?"),
        {m_ui->Text3, m_ui->Text4, m_ui->Text5, m_ui->Text6, m_ui->Text7, m_ui->Text8, m_ui->Text9,
         m_ui->Text10, m_ui->Text2},
        QStringLiteral("NO SSA ") + m_ui->Text2->text());
}

} // namespace faults
