#include "masterdata/user_ap_status_form.h"

#include "integrations/spreadsheet_export.h"
#include "masterdata/status_tally.h"
#include "ui/action_policy.h"
#include "ui/list_box.h"
#include "ui/query_grid.h"
#include "ui/waiting_action.h"
#include "ui_user_ap_status_form.h"

namespace masterdata {

namespace {

const QString ftth = QStringLiteral("FTTH");

std::optional<QString> valueOf(const db::RowCursor& row, int column) {
    if (row.isNull(column))
        return std::nullopt;
    return row.field(column);
}

} // namespace

UserApStatusForm::UserApStatusForm(core::AppContext& app, QWidget* parent)
    : QWidget(parent)
    , m_app(app)
    , m_ui(std::make_unique<Ui::UserApStatusForm>())
    , m_db(app.database) {
    m_ui->setupUi(this);
    ui::keepTypedText(this);
    ui::onListPick(m_ui->Combo1, this, &UserApStatusForm::chooseCircle);
    ui::onListPick(m_ui->Combo2, this, &UserApStatusForm::chooseSsa);
    ui::onListPick(m_ui->Combo3, this, &UserApStatusForm::chooseService);
    connect(m_ui->Command1, &QPushButton::clicked, this, &UserApStatusForm::exportGrid);
    load();
}

UserApStatusForm::~UserApStatusForm() = default;

void UserApStatusForm::load() {
    ui::replaceEntries(m_ui->Combo3, {ftth, QStringLiteral("BBOWIFI")}, QStringLiteral("SERVICE"));
    m_ui->Combo2->setEditText(QStringLiteral("SELECT SSA"));
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        QStringList circles;
        for (auto row = m_db.query(QStringLiteral("select CIRCLE from CIRCLE")); !row.atEnd();
             row.next())
            circles << row.trimmed(QStringLiteral("CIRCLE"));
        m_db.close();
        ui::replaceEntries(m_ui->Combo1, circles, QStringLiteral("SELECT CIRCLE"));
    });
}

void UserApStatusForm::chooseCircle() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        const QString circle = m_ui->Combo1->currentText();
        m_db.open();
        QStringList ssas;
        for (auto row = m_db.query(QStringLiteral("select SSA from ssa where circle=?"),
                                   {db::text(circle)});
             !row.atEnd(); row.next())
            ssas << row.trimmed(QStringLiteral("SSA"));
        ui::replaceEntries(m_ui->Combo2, ssas, QString());
        showSites(QStringLiteral("select * from BTS where STATUS='ACTIVE' AND SITE_NAME<>'NA' and "
                                 "circle=? order by SITE_NAME asc"),
                  {db::text(circle)});
        tally(QStringLiteral("select STATUS,POLICY from cdata where circle=? AND SERVICE=?"),
              {db::text(circle), db::text(m_ui->Combo3->currentText())});
        m_db.close();
    });
}

void UserApStatusForm::chooseSsa() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        const QString circle = m_ui->Combo1->currentText();
        const QString ssa = m_ui->Combo2->currentText();
        m_db.open();
        showSites(QStringLiteral("select * from BTS where STATUS='ACTIVE' AND SITE_NAME<>'NA' and "
                                 "circle=? AND SSA=?order by SITE_NAME asc"),
                  {db::text(circle), db::text(ssa)});
        tally(QStringLiteral(
                  "select STATUS,POLICY from cdata where circle=? AND SSA=? AND SERVICE=?"),
              {db::text(circle), db::text(ssa), db::text(m_ui->Combo3->currentText())});
        m_db.close();
    });
}

// The circle and SSA are left out: a service is counted network-wide.
void UserApStatusForm::chooseService() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        const bool isFtth = m_ui->Combo3->currentText() == ftth;
        m_db.open();
        if (isFtth) {
            showSites(QStringLiteral("select * from BTS where STATUS='ACTIVE' AND "
                                     "SITE_NAME<>'NA' AND EQUIPMENT_TYPE='OLT'"));
            tally(QStringLiteral("select STATUS,POLICY from cdata where service=?"),
                  {db::text(ftth)});
        } else {
            showSites(
                QStringLiteral("select * from BTS where STATUS='ACTIVE' AND SITE_NAME<>'NA'"));
            tally(QStringLiteral("select STATUS,POLICY from cdata where service<>?"),
                  {db::text(ftth)});
        }
        m_db.close();
    });
}

// The site grid has a connection of its own, to the status server.
void UserApStatusForm::showSites(const QString& sql, const db::Params& params) {
    if (!m_statusDb)
        m_statusDb = std::make_unique<db::ScreenDb>(db::statusServerSettings(m_app.database));
    db::ScreenDb& sites = *m_statusDb;
    const int depth = sites.depth();
    try {
        sites.open();
        sites.bindGrid(m_ui->MSHFlexGrid1->gridModel(), sql, params);
        sites.close();
    } catch (...) {
        sites.closeTo(depth);
        throw;
    }
}

// The captions change only once every row is counted, so a failure half way
// leaves the figures as they were.
void UserApStatusForm::tally(const QString& sql, const db::Params& params) {
    StatusTally counts;
    for (auto row = m_db.query(sql, params); !row.atEnd(); row.next())
        counts.add(valueOf(row, 0), valueOf(row, 1));
    showTally(counts);
}

void UserApStatusForm::showTally(const StatusTally& tally) {
    m_ui->Label4->setText(QStringLiteral("ACTIVE: %1").arg(tally.active));
    m_ui->Label3->setText(QStringLiteral("ALL USER: %1").arg(tally.total));
    m_ui->Label5->setText(QStringLiteral("INACTIVE: %1").arg(tally.inactive));
    m_ui->Label6->setText(QStringLiteral("SUSPENDED: %1").arg(tally.suspended));
    m_ui->Label7->setText(QStringLiteral("MFD: %1").arg(tally.markedForDeletion));
    m_ui->Label8->setText(QStringLiteral("DELETED: %1").arg(tally.deleted));
}

// The workbook is written while the screen stays live; nothing here
// touches the screen once the export has begun.
void UserApStatusForm::exportGrid() {
    const ui::WaitingAction wait(this);
    ui::stopOnError(m_app.dialogs, nullptr,
                    [grid = &m_ui->MSHFlexGrid1->gridModel(), &app = m_app, screen = this] {
                        integrations::exportGrid(*grid, app.config, *app.programs, screen);
                    });
}

} // namespace masterdata
