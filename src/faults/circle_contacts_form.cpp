#include "faults/circle_contacts_form.h"

#include "faults/contact_save.h"
#include "ui/screen_registry.h"
#include "ui_circle_contacts_form.h"

namespace faults {

CircleContactsForm::CircleContactsForm(core::AppContext& app, QWidget* parent)
    : QWidget(parent)
    , m_app(app)
    , m_ui(std::make_unique<Ui::CircleContactsForm>())
    , m_db(app.database) {
    m_ui->setupUi(this);
    connect(m_ui->Command1, &QPushButton::clicked, this, &CircleContactsForm::save);
}

CircleContactsForm::~CircleContactsForm() = default;

CircleContactsForm* CircleContactsForm::open(core::AppContext& app) {
    if (!app.screens)
        return nullptr;
    return app.screens->open<CircleContactsForm>(
        QStringLiteral("Form10"),
        [&app] {
            auto* form = new CircleContactsForm(app);
            ui::centreOnScreen(form);
            return form;
        },
        ui::ScreenRegistry::Placement::TopLevel);
}

QList<QLineEdit*> CircleContactsForm::boxes() const {
    return {m_ui->Text1, m_ui->Text2, m_ui->Text3, m_ui->Text4,
            m_ui->Text5, m_ui->Text6, m_ui->Text7};
}

void CircleContactsForm::showCircle(const QString& circle) {
    m_ui->Text1->setText(circle);
}

void CircleContactsForm::showContacts(const QStringList& contacts) {
    const QList<QLineEdit*> all = boxes();
    for (int i = 0; i < contacts.size() && i + 1 < all.size(); ++i)
        all[i + 1]->setText(contacts[i]);
}

void CircleContactsForm::save() {
    saveContacts(
        m_app, m_db, boxes(),
        QStringLiteral("UPDATE CIRCLE SET CBH=?,CBHM=?,EMAIL=?,CGM=?,CGM_MOBILE=?,"
                       "CGM_EMAIL=? WHERE CIRCLE=?"),
        {m_ui->Text2, m_ui->Text3, m_ui->Text4, m_ui->Text5, m_ui->Text6, m_ui->Text7, m_ui->Text1},
        QStringLiteral("NO CIRCLE ") + m_ui->Text1->text());
}

} // namespace faults
