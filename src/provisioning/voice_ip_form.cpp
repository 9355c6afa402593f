#include "provisioning/voice_ip_form.h"

#include "ui/action_policy.h"
#include "ui/dialogs.h"
#include "ui/list_box.h"
#include "ui/screen_registry.h"
#include "ui_voice_ip_form.h"

namespace provisioning {

VoiceIpForm::VoiceIpForm(core::AppContext& app, QWidget* parent)
    : QWidget(parent)
    , m_app(app)
    , m_ui(std::make_unique<Ui::VoiceIpForm>())
    , m_db(app.database) {
    m_ui->setupUi(this);
    ui::keepTypedText(this);
    ui::onListPick(m_ui->Combo2, this, &VoiceIpForm::chooseCircle);
    ui::onListPick(m_ui->Combo3, this, &VoiceIpForm::chooseBng);
    connect(m_ui->Command1, &QPushButton::clicked, this, &VoiceIpForm::update);
    connect(m_ui->Command2, &QPushButton::clicked, this, &VoiceIpForm::search);
    load();
}

VoiceIpForm::~VoiceIpForm() = default;

void VoiceIpForm::setVisible(bool visible) {
    if (visible && !m_placed && isWindow()) {
        m_placed = true;
        ui::centreOnScreen(this);
    }
    QWidget::setVisible(visible);
}

void VoiceIpForm::message(const QString& text, bool refused) {
    m_app.dialogs.message(text, QStringLiteral("ZEL VOIP"),
                          refused ? ui::Icon::Exclamation : ui::Icon::Information);
}

void VoiceIpForm::load() {
    ui::appendEntries(m_ui->Combo1, {QStringLiteral("FTTH"), QStringLiteral("BBOWIFI")});
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        ui::appendEntries(m_ui->Combo2, db::trimmedColumnValues(
                                            m_db.query(QStringLiteral("select circle from circle")),
                                            QStringLiteral("circle")));
        m_db.close();
    });
}

void VoiceIpForm::chooseCircle() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        m_ui->Combo3->clear();
        const auto bngs = m_db.query(
            QStringLiteral("select DISTINCT BNG from VOIP WHERE CIRCLE=? AND SERVICE=?"),
            {db::text(m_ui->Combo2->currentText()), db::text(m_ui->Combo1->currentText())});
        ui::appendEntries(m_ui->Combo3, db::trimmedColumnValues(bngs, QStringLiteral("BNG")));
        m_db.close();
    });
}

void VoiceIpForm::chooseBng() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        m_ui->Combo4->clear();
        const auto free = m_db.query(
            QStringLiteral("select IP FROM VOIP WHERE SERVICE=? AND BNG=? AND ID='NA'"),
            {db::text(m_ui->Combo1->currentText()), db::text(m_ui->Combo3->currentText())});
        ui::appendEntries(m_ui->Combo4, db::trimmedColumnValues(free, QStringLiteral("IP")));
        m_db.close();
    });
}

void VoiceIpForm::update() {
    const QString number = m_ui->Text1->text();
    if (number.isEmpty()) {
        message(QStringLiteral("PLEASE ENTER NUMBER"));
        return;
    }
    Assignment outcome = Assignment::Refused;
    const bool done = ui::stopOnError(m_app.dialogs, &m_db, [&] {
        m_db.open();
        // The check and the write hold the number's claim together, so two
        // workstations cannot both give this number an address.
        m_db.begin(true);
        m_db.claim(db::Claim::VoiceNumber, number);
        outcome = assign(number);
        m_db.commit();
        m_db.close();
    });
    // Told once the lock is given back: a message box never holds it.
    if (!done)
        return;
    if (outcome == Assignment::AlreadyHeld)
        message(QStringLiteral("ID ALREADY PRESENT"));
    else if (outcome == Assignment::Assigned)
        message(QStringLiteral("VOICE IP UPDATED"));
    else
        message(QStringLiteral("VOICE IP NOT AVAILABLE"), true);
}

VoiceIpForm::Assignment VoiceIpForm::assign(const QString& number) {
    QString heldBy;
    for (auto row =
             m_db.query(QStringLiteral("select * from VOIP where  ID=?"), {db::text(number)});
         !row.atEnd(); row.next()) {
        heldBy = row.field(QStringLiteral("id"));
        m_ui->Combo4->setEditText(row.field(QStringLiteral("IP")));
    }
    if (heldBy == number)
        return Assignment::AlreadyHeld;
    // Only a free address is given out, so one typed or left in the field
    // cannot be taken from the number that holds it.
    const int changed = m_db.execute(QStringLiteral("update VOIP  set ID=? where IP=? AND ID='NA'"),
                                     {db::text(number), db::text(m_ui->Combo4->currentText())});
    return changed > 0 ? Assignment::Assigned : Assignment::Refused;
}

void VoiceIpForm::search() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        const auto held = m_db.query(QStringLiteral("select IP FROM VOIP WHERE ID=?"),
                                     {db::text(m_ui->Text1->text())});
        const QStringList addresses = db::trimmedColumnValues(held, QStringLiteral("IP"));
        if (!addresses.isEmpty())
            m_ui->Combo4->setEditText(addresses.last());
        m_db.close();
    });
}

} // namespace provisioning
