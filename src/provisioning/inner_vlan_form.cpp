#include "provisioning/inner_vlan_form.h"

#include "provisioning/router_script.h"
#include "ui/action_policy.h"
#include "ui/dialogs.h"
#include "ui/list_box.h"
#include "ui/screen_registry.h"
#include "ui_inner_vlan_form.h"

namespace provisioning {

namespace {

const QString poolTitle = QStringLiteral("ZEL OLT INNER VLAN");
const QString ftthTitle = QStringLiteral("ZEL FTTH");

} // namespace

InnerVlanForm::InnerVlanForm(core::AppContext& app, QWidget* parent)
    : QWidget(parent)
    , m_app(app)
    , m_ui(std::make_unique<Ui::InnerVlanForm>())
    , m_db(app.database) {
    m_ui->setupUi(this);
    ui::keepTypedText(this);
    ui::onListPick(m_ui->Combo1, this, &InnerVlanForm::chooseCircle);
    ui::onListPick(m_ui->Combo2, m_ui->Combo3, [combo = m_ui->Combo3] { combo->clear(); });
    ui::onListPick(m_ui->Combo5, this, &InnerVlanForm::chooseService);
    ui::onListPick(m_ui->Combo3, this, &InnerVlanForm::chooseSite);
    connect(m_ui->Command1, &QPushButton::clicked, this, &InnerVlanForm::submit);
    connect(m_ui->Command2, &QPushButton::clicked, this, &InnerVlanForm::search);
    connect(m_ui->Command3, &QPushButton::clicked, this, &InnerVlanForm::updateMac);
    connect(m_ui->Command4, &QPushButton::clicked, this, &InnerVlanForm::release);
    connect(m_ui->Command5, &QPushButton::clicked, this, &InnerVlanForm::clearFields);
    load();
}

InnerVlanForm::~InnerVlanForm() = default;

void InnerVlanForm::setVisible(bool visible) {
    if (visible && !m_placed && isWindow()) {
        m_placed = true;
        ui::centreOnScreen(this);
    }
    QWidget::setVisible(visible);
}

void InnerVlanForm::message(const QString& text, const QString& title, bool refused) {
    m_app.dialogs.message(text, title, refused ? ui::Icon::Exclamation : ui::Icon::Information);
}

void InnerVlanForm::load() {
    ui::appendEntries(m_ui->Combo5,
                      {QStringLiteral("FTTH"), QStringLiteral("AF"), QStringLiteral("MTNL")});
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        ui::appendEntries(m_ui->Combo1,
                          db::columnValues(m_db.query(QStringLiteral("select circle from circle")),
                                           QStringLiteral("circle")));
        m_db.close();
    });
}

void InnerVlanForm::chooseCircle() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        m_ui->Combo2->clear();
        ui::appendEntries(
            m_ui->Combo2,
            db::columnValues(m_db.query(QStringLiteral("select SSA from ssa where circle=?"),
                                        {db::text(m_ui->Combo1->currentText())}),
                             QStringLiteral("SSA")));
        m_db.close();
    });
}

void InnerVlanForm::chooseService() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        m_ui->Combo3->clear();
        // A blank follows each `?`: the SQLite driver renames placeholders and
        // would take a word glued to one for part of its name.
        const auto sites = m_db.query(
            QStringLiteral("select DISTINCT SITE from OLT where circle=? AND SSA=? AND SERVICE=?"),
            {db::text(m_ui->Combo1->currentText()), db::text(m_ui->Combo2->currentText()),
             db::text(m_ui->Combo5->currentText())});
        ui::appendEntries(m_ui->Combo3, db::columnValues(sites, QStringLiteral("SITE")));
        m_db.close();
    });
}

void InnerVlanForm::chooseSite() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        m_ui->Combo4->clear();
        QStringList free;
        for (auto row = m_db.query(QStringLiteral("select * from OLT where  SITE=? AND ID ='NA'"),
                                   {db::text(m_ui->Combo3->currentText())});
             !row.atEnd(); row.next()) {
            m_ui->Label6->setText(row.field(QStringLiteral("OUT_VLAN")));
            m_ui->Label9->setText(row.field(QStringLiteral("SN")));
            free << row.field(QStringLiteral("IN_VLAN"));
        }
        ui::appendEntries(m_ui->Combo4, free);
        m_db.close();
    });
}

void InnerVlanForm::submit() {
    const QString userId = m_ui->Text1->text();
    // An empty id would mark the pair as neither free nor anyone's.
    if (userId.isEmpty()) {
        message(QStringLiteral("PLEASE ENTER USER ID"), QStringLiteral("ZEL CRM"));
        return;
    }
    Assignment outcome = Assignment::Refused;
    const bool done = ui::stopOnError(m_app.dialogs, &m_db, [&] {
        m_db.open();
        // The check and the write hold the user id's claim together, so two
        // workstations cannot both give this user id a pair.
        m_db.begin(true);
        m_db.claim(db::Claim::SubscriberId, userId);
        outcome = assign(userId);
        m_db.commit();
        m_db.close();
    });
    // Told once the lock is given back: a message box never holds it.
    if (!done)
        return;
    if (outcome == Assignment::AlreadyHeld)
        message(QStringLiteral("ID ALREADY PRESENT"), poolTitle);
    else if (outcome == Assignment::Assigned)
        message(QStringLiteral("INNER VLAN UPDATED"), poolTitle);
    else
        message(QStringLiteral("INNER VLAN NOT AVAILABLE"), poolTitle, true);
}

InnerVlanForm::Assignment InnerVlanForm::assign(const QString& userId) {
    bool found = false;
    QString heldBy;
    for (auto row = m_db.query(QStringLiteral("select * from OLT where  ID=?"), {db::text(userId)});
         !row.atEnd(); row.next()) {
        found = true;
        heldBy = row.field(QStringLiteral("id"));
        m_ui->Combo4->setEditText(row.field(QStringLiteral("IN_VLAN")));
    }
    if (found && heldBy == userId)
        return Assignment::AlreadyHeld;
    // Only a pair that is still free is taken: another workstation may have
    // handed it out since the list was filled, or the operator typed one.
    const int changed = m_db.execute(
        QStringLiteral("update OLT  set ID=?,MAC=? where OUT_VLAN=? AND IN_VLAN=? AND SITE=? "
                       "AND ID='NA'"),
        {db::text(userId), db::text(m_ui->Text2->text()), db::text(m_ui->Label6->text()),
         db::text(m_ui->Combo4->currentText()), db::text(m_ui->Combo3->currentText())});
    return changed > 0 ? Assignment::Assigned : Assignment::Refused;
}

void InnerVlanForm::search() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        const RouterAccounts accounts = routerAccounts(m_app.config);
        const QString userId = m_ui->Text1->text();
        m_db.open();
        showHeldPair(userId);
        const QString indicator = indicatorOf(userId);
        m_ui->Text3->setPlainText(routerScript(m_ui->Combo4->currentText(), indicator, accounts));
        m_db.close();
    });
}

void InnerVlanForm::showHeldPair(const QString& userId) {
    for (auto row = m_db.query(QStringLiteral("select * from OLT WHERE ID=?"), {db::text(userId)});
         !row.atEnd(); row.next()) {
        m_ui->Combo1->setEditText(row.field(QStringLiteral("circle")));
        m_ui->Combo2->setEditText(row.field(QStringLiteral("SSA")));
        m_ui->Combo3->setEditText(row.field(QStringLiteral("SITE")));
        m_ui->Combo4->setEditText(row.field(QStringLiteral("IN_VLAN")));
        m_ui->Combo5->setEditText(row.field(QStringLiteral("SERVICE")));
        m_ui->Text2->setText(row.field(QStringLiteral("MAC")));
        m_ui->Label6->setText(row.field(QStringLiteral("OUT_VLAN")));
    }
}

QString InnerVlanForm::indicatorOf(const QString& userId) {
    const QStringList found = db::columnValues(
        m_db.query(QStringLiteral("select indicator from cdata WHERE ID=?"), {db::text(userId)}),
        QStringLiteral("indicator"));
    return found.isEmpty() ? QString() : found.last();
}

void InnerVlanForm::updateMac() {
    if (isFreePairMark(m_ui->Text1->text())) {
        message(QStringLiteral("PLEASE ENTER USER ID"), QStringLiteral("ZEL CRM"));
        return;
    }
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        const QString userId = m_ui->Text1->text();
        m_db.open();
        const int changed = m_db.execute(QStringLiteral("update OLT  set MAC=? where ID=?"),
                                         {db::text(m_ui->Text2->text()), db::text(userId)});
        if (changed > 0)
            message(QStringLiteral("MAC UPDATED"), ftthTitle);
        else
            message(noInnerVlanHeldBy(userId), ftthTitle, true);
        m_db.close();
    });
}

void InnerVlanForm::release() {
    const QString userId = m_ui->Text1->text();
    if (userId.isEmpty() || isFreePairMark(userId)) {
        message(QStringLiteral("PLEASE ENTER USER ID"), QStringLiteral("ZEL CRM"));
        return;
    }
    if (!m_app.dialogs.askYesNo(QStringLiteral("ARE YOU SURE TO UPDATE"),
                                QStringLiteral("ZEL NOC")))
        return;
    ui::stopOnError(m_app.dialogs, &m_db, [&] {
        m_db.open();
        // The MAC stays with the pair; the next assignment overwrites it.
        const int changed =
            m_db.execute(QStringLiteral("update OLT  set ID='NA'where ID=?"), {db::text(userId)});
        if (changed > 0)
            message(QStringLiteral("VLAN RELEASED"), ftthTitle);
        else
            message(noInnerVlanHeldBy(userId), ftthTitle, true);
        m_db.close();
    });
}

void InnerVlanForm::clearFields() {
    for (QComboBox* combo : {m_ui->Combo1, m_ui->Combo2, m_ui->Combo3, m_ui->Combo4, m_ui->Combo5})
        combo->setEditText(QString());
    m_ui->Text1->clear();
    m_ui->Text2->clear();
    m_ui->Text3->clear();
    m_ui->Text1->setFocus();
}

} // namespace provisioning
