#include "masterdata/equipment_details_form.h"

#include "ui/action_policy.h"
#include "ui/dialogs.h"
#include "ui/list_box.h"
#include "ui/screen_registry.h"
#include "ui_equipment_details_form.h"

namespace masterdata {

namespace {

const QString nocTitle = QStringLiteral("ZEL NOC");

const QString updateRow = QStringLiteral(
    "UPDATE BTS SET SSA=?,[user]=?,SITE_NAME=?,SSID=?,EQUIPMENT_TYPE=?,STATUS=?,VUVA_EQ=?,"
    "VUVA_IP=?,VUVA_PORT=?,VUVA_PORT_TYPE=?,LMMP=? WHERE ID=?");

} // namespace

EquipmentDetailsForm::EquipmentDetailsForm(core::AppContext& app, QWidget* parent)
    : QWidget(parent)
    , m_app(app)
    , m_ui(std::make_unique<Ui::EquipmentDetailsForm>())
    , m_db(app.database) {
    m_ui->setupUi(this);
    ui::keepTypedText(this);
    ui::onListPick(m_ui->Combo1, this, &EquipmentDetailsForm::chooseCircle);
    ui::onListPick(m_ui->Combo2, this, &EquipmentDetailsForm::chooseSsa);
    ui::onListPick(m_ui->Combo3, this, &EquipmentDetailsForm::chooseBng);
    ui::onListPick(m_ui->Combo4, this, &EquipmentDetailsForm::chooseIp);
    connect(m_ui->Command1, &QPushButton::clicked, this, &EquipmentDetailsForm::save);
    load();
}

EquipmentDetailsForm::~EquipmentDetailsForm() = default;

EquipmentDetailsForm* EquipmentDetailsForm::open(core::AppContext& app) {
    if (!app.screens)
        return nullptr;
    return app.screens->open<EquipmentDetailsForm>(
        QStringLiteral("Form12"),
        [&app] {
            auto* form = new EquipmentDetailsForm(app);
            ui::centreOnScreen(form);
            return form;
        },
        ui::ScreenRegistry::Placement::TopLevel);
}

void EquipmentDetailsForm::load() {
    ui::appendEntries(m_ui->Combo5, {QStringLiteral("AP SECTOR"), QStringLiteral("ROUTER"),
                                     QStringLiteral("P2P"), QStringLiteral("AP OMNI")});
    ui::appendEntries(m_ui->Combo6, {QStringLiteral("ACTIVE"), QStringLiteral("INACTIVE")});
    ui::appendEntries(m_ui->Combo7,
                      {QStringLiteral("OCLAN"), QStringLiteral("DSLAM"), QStringLiteral("TYRE-1"),
                       QStringLiteral("TYRE-2"), QStringLiteral("ONU/OLT")});
    ui::appendEntries(m_ui->Combo8,
                      {QStringLiteral("FE ELECTRICAL"), QStringLiteral("FE OPTICAL"),
                       QStringLiteral("GE ELECTRICAL"), QStringLiteral("GE OPTICAL")});
    ui::appendEntries(m_ui->Combo9,
                      {QStringLiteral("DIRECT FROM VUVA PORT"), QStringLiteral("VIA VUVA TX MEDIA"),
                       QStringLiteral("ZEL WIRELESS P2P"), QStringLiteral("VUVA FTTH")});
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        ui::appendEntries(m_ui->Combo1, db::trimmedColumnValues(
                                            m_db.query(QStringLiteral("select circle from circle")),
                                            QStringLiteral("circle")));
        m_db.close();
    });
}

void EquipmentDetailsForm::chooseCircle() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        ui::replaceEntries(
            m_ui->Combo2,
            db::trimmedColumnValues(m_db.query(QStringLiteral("select SSA from ssa where circle=?"),
                                               {db::text(m_ui->Combo1->currentText())}),
                                    QStringLiteral("SSA")),
            QString());
        m_db.close();
    });
}

// The BNGs belong to the circle; the SSA does not narrow them.
void EquipmentDetailsForm::chooseSsa() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        ui::replaceEntries(
            m_ui->Combo3,
            db::columnValues(
                m_db.query(QStringLiteral("select distinct BNG from bts where circle=?"),
                           {db::text(m_ui->Combo1->currentText())}),
                QStringLiteral("BNG")),
            QString());
        m_db.close();
    });
}

void EquipmentDetailsForm::chooseBng() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        ui::replaceEntries(
            m_ui->Combo4,
            db::columnValues(
                m_db.query(QStringLiteral("select IP from bts where BNG=? AND SITE_NAME='NA'"),
                           {db::text(m_ui->Combo3->currentText())}),
                QStringLiteral("IP")),
            QString());
        m_db.close();
    });
}

void EquipmentDetailsForm::chooseIp() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_ui->Text1->clear();
        m_freeTunnelId.clear();
        m_db.open();
        for (auto row = m_db.query(
                 QStringLiteral("select ID from bts where BNG=? AND IP=?"),
                 {db::text(m_ui->Combo3->currentText()), db::text(m_ui->Combo4->currentText())});
             !row.atEnd(); row.next())
            m_ui->Text1->setText(row.field(QStringLiteral("ID")));
        m_freeTunnelId = m_ui->Text1->text();
        m_db.close();
    });
}

void EquipmentDetailsForm::showEquipment(const QString& tunnelId, const QStringList& columns) {
    m_freeTunnelId.clear();
    m_ui->Text1->setText(tunnelId);
    const QList<QWidget*> controls{m_ui->Combo1, m_ui->Combo2, m_ui->Text3,  m_ui->Combo3,
                                   m_ui->Combo4, m_ui->Text2,  m_ui->Combo5, m_ui->Combo6,
                                   m_ui->Combo7, m_ui->Text5,  m_ui->Text6,  m_ui->Combo8,
                                   m_ui->Combo9, m_ui->Text4};
    for (int i = 0; i < controls.size() && i < columns.size(); ++i) {
        if (auto* box = qobject_cast<QComboBox*>(controls[i]))
            box->setEditText(columns[i]);
        else if (auto* text = qobject_cast<QLineEdit*>(controls[i]))
            text->setText(columns[i]);
    }
}

void EquipmentDetailsForm::save() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        if (m_app.dialogs.askYesNo(QStringLiteral("ARE YOU SURE TO UPDATE"), nocTitle))
            saveRow();
        m_db.close();
    });
}

// A row taken from the free list is written only while it is still free:
// two desks allocating the same address at once must not both succeed.
void EquipmentDetailsForm::saveRow() {
    const QString tunnelId = m_ui->Text1->text();
    const bool wasFree = !tunnelId.isEmpty() && tunnelId == m_freeTunnelId;
    const db::Params params{
        db::text(m_ui->Combo2->currentText()), db::text(m_ui->Text4->text()),
        db::text(m_ui->Text2->text()),         db::text(m_ui->Text3->text()),
        db::text(m_ui->Combo5->currentText()), db::text(m_ui->Combo6->currentText()),
        db::text(m_ui->Combo7->currentText()), db::text(m_ui->Text5->text()),
        db::text(m_ui->Text6->text()),         db::text(m_ui->Combo8->currentText()),
        db::text(m_ui->Combo9->currentText()), db::text(tunnelId)};
    const int rows = m_db.execute(
        wasFree ? updateRow + QStringLiteral(" AND SITE_NAME='NA'") : updateRow, params);
    if (rows > 0) {
        m_freeTunnelId.clear();
        m_app.dialogs.message(QStringLiteral("DATA UPDATED SUCCESSFULLY"), nocTitle,
                              ui::Icon::Information);
        return;
    }
    const bool exists =
        !m_db.query(QStringLiteral("select ID from bts where ID=?"), {db::text(tunnelId)}).atEnd();
    m_app.dialogs.message(exists && wasFree
                              ? QStringLiteral("TUNNEL ID ") + tunnelId +
                                    QStringLiteral(" IS NO LONGER FREE")
                              : QStringLiteral("NO EQUIPMENT WITH TUNNEL ID ") + tunnelId,
                          nocTitle, ui::Icon::Exclamation);
}

} // namespace masterdata
