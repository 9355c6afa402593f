#include "faults/site_fault_form.h"

#include "faults/circle_contacts_form.h"
#include "faults/fault_tickets.h"
#include "faults/ssa_contacts_form.h"
#include "masterdata/equipment_details_form.h"
#include "ui/action_policy.h"
#include "ui/clickable_label.h"
#include "ui/enter_navigation.h"
#include "ui/list_box.h"
#include "ui/query_grid.h"
#include "ui/workstation_macs.h"
#include "ui_site_fault_form.h"

#include <QMouseEvent>

namespace faults {

namespace {

const QString allOpenTickets = QStringLiteral("select * from BTS_FAULT where STATUS<>'CLOSED'");

} // namespace

SiteFaultForm::SiteFaultForm(core::AppContext& app, QWidget* parent)
    : QWidget(parent)
    , m_app(app)
    , m_ui(std::make_unique<Ui::SiteFaultForm>())
    , m_db(app.database) {
    m_ui->setupUi(this);
    ui::keepTypedText(this);
    ui::enterMovesFocus(m_ui->Text1);
    m_ui->Text1->installEventFilter(this);
    ui::onListPick(m_ui->Combo1, this, &SiteFaultForm::chooseCircle);
    ui::onListPick(m_ui->Combo2, this, &SiteFaultForm::chooseSsa);
    ui::onListPick(m_ui->Combo3, this, &SiteFaultForm::chooseSite);
    ui::onListPick(m_ui->Combo4, this, &SiteFaultForm::showSiteDetails);
    connect(m_ui->Label5, &ui::ClickableLabel::clicked, this, &SiteFaultForm::showCircleContacts);
    connect(m_ui->Label6, &ui::ClickableLabel::clicked, this, &SiteFaultForm::showSsaContacts);
    connect(m_ui->Label8, &ui::ClickableLabel::clicked, this, &SiteFaultForm::showEquipment);
    connect(m_ui->Command1, &QPushButton::clicked, this, &SiteFaultForm::openFault);
    connect(m_ui->Command2, &QPushButton::clicked, this, &SiteFaultForm::updateFault);
    connect(m_ui->Command4, &QPushButton::clicked, this, &SiteFaultForm::closeFault);
    load();
}

// Tearing the controls down moves the focus; no lookup may run on a screen
// that is going away.
SiteFaultForm::~SiteFaultForm() {
    m_ui->Text1->removeEventFilter(this);
}

bool SiteFaultForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->Text1) {
        if (ui::leavesForAnotherControl(event))
            lookUpTicket();
        else if (event->type() == QEvent::MouseButtonPress) {
            m_ui->Text1->clear();
            m_ui->Text3->clear();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SiteFaultForm::load() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        ui::appendEntries(m_ui->Combo1, db::trimmedColumnValues(
                                            m_db.query(QStringLiteral("select circle from circle")),
                                            QStringLiteral("circle")));
        showOpenTickets();
        ui::appendEntries(m_ui->Combo5, faultKinds());
        showCount();
        m_db.close();
    });
}

void SiteFaultForm::showOpenTickets() {
    showTickets(allOpenTickets, {});
}

void SiteFaultForm::showTickets(const QString& sql, const db::Params& params) {
    m_db.bindGrid(m_ui->MSHFlexGrid1->gridModel(), sql, params);
}

void SiteFaultForm::showCount() {
    ui::setRowCountCaption(m_ui->Label9, m_ui->MSHFlexGrid1);
}

void SiteFaultForm::chooseCircle() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        const QString circle = m_ui->Combo1->currentText();
        m_db.open();
        ui::replaceEntries(
            m_ui->Combo2,
            db::trimmedColumnValues(m_db.query(QStringLiteral("select SSA from ssa where circle=?"),
                                               {db::text(circle)}),
                                    QStringLiteral("SSA")),
            QString());
        showTickets(QStringLiteral("select * from BTS_FAULT where  CIRCLE= ? AND STATUS<>'CLOSED'"),
                    {db::text(circle)});
        showCount();
        m_db.close();
    });
}

void SiteFaultForm::chooseSsa() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        const QString ssa = m_ui->Combo2->currentText();
        m_db.open();
        ui::replaceEntries(
            m_ui->Combo3,
            db::trimmedColumnValues(
                m_db.query(QStringLiteral("select distinct site from af_site where circle=? and "
                                          "ssa=? and status<>'INACTIVE'"),
                           {db::text(m_ui->Combo1->currentText()), db::text(ssa)}),
                QStringLiteral("site")),
            QString());
        showTickets(QStringLiteral("select * from BTS_FAULT where  SSA= ? AND STATUS<>'CLOSED'"),
                    {db::text(ssa)});
        showCount();
        m_db.close();
    });
}

void SiteFaultForm::chooseSite() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_ui->Label1->clear();
        m_ui->Label2->clear();
        m_ui->Label3->clear();
        m_db.open();
        // One entry per active equipment row of the site.
        ui::replaceEntries(
            m_ui->Combo4,
            db::trimmedColumnValues(
                m_db.query(QStringLiteral("select site from af_site where circle=? and ssa=?and "
                                          "site=? and status='ACTIVE'"),
                           {db::text(m_ui->Combo1->currentText()),
                            db::text(m_ui->Combo2->currentText()),
                            db::text(m_ui->Combo3->currentText())}),
                QStringLiteral("site")),
            QString());
        m_db.close();
    });
}

void SiteFaultForm::showSiteDetails() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        for (auto row = m_db.query(
                 QStringLiteral("select * from af_site where circle=? and ssa=?and site=?"),
                 {db::text(m_ui->Combo1->currentText()), db::text(m_ui->Combo2->currentText()),
                  db::text(m_ui->Combo3->currentText())});
             !row.atEnd(); row.next()) {
            m_ui->Label1->setText(QStringLiteral("SERVICE: ") +
                                  row.trimmed(QStringLiteral("SERVICE")));
            m_ui->Label2->setText(QStringLiteral("IP: ") + row.trimmed(QStringLiteral("ip")));
            m_ui->Label3->setText(QStringLiteral("OUTER VLAN : ") +
                                  row.trimmed(QStringLiteral("VLAN")));
            m_ui->Label10->setText(row.field(QStringLiteral("user")));
            m_siteState = row.trimmed(QStringLiteral("LIVE"));
        }
        m_db.close();
        colourSiteState();
    });
}

void SiteFaultForm::colourSiteState() {
    QPalette palette = m_ui->Label3->palette();
    palette.setColor(QPalette::Window,
                     siteIsUp(m_siteState) ? QColor(0, 255, 0) : QColor(255, 0, 0));
    m_ui->Label3->setPalette(palette);
}

void SiteFaultForm::lookUpTicket() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        if (const auto ticket = findTicket(m_db, ftNumber())) {
            // Only the texts change: the lists may still belong to an earlier choice.
            m_ui->Combo1->setEditText(ticket->circle);
            m_ui->Combo2->setEditText(ticket->ssa);
            m_ui->Combo3->setEditText(ticket->site);
            setHistory(ticket->history);
            m_lookedUpNumber = ftNumber();
            m_lookedUpHistory = ticket->storedHistory;
            m_ui->Label3->setText(QStringLiteral("TUNNEL ID : ") + ticket->tunnelId);
            for (auto row = m_db.query(QStringLiteral("select * from BTS where id=?"),
                                       {db::text(ticket->tunnelId)});
                 !row.atEnd(); row.next()) {
                m_siteState = row.trimmed(QStringLiteral("LIVE"));
                m_ui->Combo4->setEditText(row.trimmed(QStringLiteral("SSID")));
                m_ui->Label1->setText(QStringLiteral("BNG: ") + row.trimmed(QStringLiteral("bng")));
                m_ui->Label2->setText(QStringLiteral("IP: ") + row.trimmed(QStringLiteral("ip")));
            }
        }
        m_db.close();
        colourSiteState();
    });
}

// The history box shows one entry line per line; stored, the lines end in
// CR LF.
QString SiteFaultForm::history() const {
    return m_ui->Text3->toPlainText().replace(u'\n', QStringLiteral("\r\n"));
}

void SiteFaultForm::setHistory(const QString& text) {
    m_ui->Text3->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

QString SiteFaultForm::lookedUpHistory(const QString& ftNumber) const {
    return ftNumber == m_lookedUpNumber ? m_lookedUpHistory : QString();
}

QString SiteFaultForm::ftNumber() const {
    return m_ui->Text1->text().trimmed();
}

QString SiteFaultForm::workstationUser() {
    return operatorAt(m_db, ui::workstationMacOf(m_app.adapters, m_app.dialogs));
}

void SiteFaultForm::showCircleContacts() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        const QString circle = m_ui->Combo1->currentText();
        std::optional<QStringList> contacts;
        m_db.open();
        for (auto row = m_db.query(QStringLiteral("select * from CIRCLE where circle=?"),
                                   {db::text(circle)});
             !row.atEnd(); row.next()) {
            contacts.emplace();
            for (int column = 1; column <= 6; ++column)
                *contacts << row.trimmed(column);
        }
        m_db.close();
        if (CircleContactsForm* form = CircleContactsForm::open(m_app)) {
            form->showCircle(circle);
            if (contacts)
                form->showContacts(*contacts);
        }
    });
}

void SiteFaultForm::showSsaContacts() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        const QString ssa = m_ui->Combo2->currentText();
        std::optional<QStringList> contacts;
        m_db.open();
        for (auto row =
                 m_db.query(QStringLiteral("select * from SSA where SSA=?"), {db::text(ssa)});
             !row.atEnd(); row.next()) {
            contacts.emplace();
            for (int column = 2; column <= 9; ++column)
                *contacts << row.trimmed(column);
        }
        m_db.close();
        if (SsaContactsForm* form = SsaContactsForm::open(m_app)) {
            form->showNames(m_ui->Combo1->currentText(), ssa);
            if (contacts)
                form->showContacts(*contacts);
        }
    });
}

// Every step goes on past a failure: the equipment record opens whatever
// the database said. Without a tunnel id there is nothing to read, and the
// record shows as it was.
void SiteFaultForm::showEquipment() {
    const QString tunnelId = tunnelIdOf(m_ui->Label3->text());
    std::optional<QStringList> equipment;
    if (!tunnelId.isEmpty()) {
        ui::ContinueOnError steps(&m_db);
        steps.step([&] { m_db.open(); });
        steps.step([&] {
            for (auto row = m_db.query(QStringLiteral("select * from bts where id=?"),
                                       {db::text(tunnelId)});
                 !row.atEnd(); row.next()) {
                equipment.emplace();
                for (int column = 1; column <= 14; ++column)
                    *equipment << row.trimmed(column);
            }
        });
        steps.step([&] { m_db.close(); });
    }
    if (auto* form = masterdata::EquipmentDetailsForm::open(m_app); form && equipment)
        form->showEquipment(tunnelId, *equipment);
}

} // namespace faults
