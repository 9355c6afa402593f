#include "faults/sla_board_form.h"

#include "complaints/noc_report_form.h"
#include "core/clock.h"
#include "core/text_formats.h"
#include "db/dialect.h"
#include "faults/sla_rules.h"
#include "integrations/spreadsheet_export.h"
#include "ui/action_policy.h"
#include "ui/dialogs.h"
#include "ui/enter_navigation.h"
#include "ui/list_box.h"
#include "ui/query_grid.h"
#include "ui/waiting_action.h"
#include "ui_sla_board_form.h"

#include <QMouseEvent>

namespace faults {

namespace {

const QString closed = QStringLiteral("CLOSED");
const QString nocTitle = QStringLiteral("ZEL NOC");

} // namespace

SlaBoardForm::SlaBoardForm(core::AppContext& app, QWidget* parent)
    : QWidget(parent)
    , m_app(app)
    , m_ui(std::make_unique<Ui::SlaBoardForm>())
    , m_db(app.database) {
    m_ui->setupUi(this);
    ui::enterMovesFocus(m_ui->Text1);
    for (QWidget* watched : watchedControls())
        watched->installEventFilter(this);
    ui::keepTypedText(this);
    ui::onListPick(m_ui->Combo3, this, &SlaBoardForm::filterByStatus);
    ui::onListPick(m_ui->Combo4, this, &SlaBoardForm::filterByCircle);
    ui::onListPick(m_ui->Combo6, this, &SlaBoardForm::filterBySsa);
    connect(m_ui->Command1, &QPushButton::clicked, this, &SlaBoardForm::closeOutage);
    connect(m_ui->Command2, &QPushButton::clicked, this, &SlaBoardForm::showYesterday);
    connect(m_ui->Command3, &QPushButton::clicked, this, &SlaBoardForm::showRepeatedDown);
    connect(m_ui->Command5, &QPushButton::clicked, this, &SlaBoardForm::exportGrid);
    load();
}

// Tearing the controls down moves the focus; no lookup may run on a board
// that is going away.
SlaBoardForm::~SlaBoardForm() {
    for (QWidget* watched : watchedControls())
        watched->removeEventFilter(this);
}

QList<QWidget*> SlaBoardForm::watchedControls() const {
    return {m_ui->Text1, m_ui->Text2, m_ui->Text3};
}

bool SlaBoardForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->Text1) {
        if (ui::leavesForAnotherControl(event))
            lookUpOutage();
        else if (event->type() == QEvent::MouseButtonPress)
            m_ui->Text1->clear();
    } else if (event->type() == QEvent::MouseButtonDblClick) {
        // The box's own double click would select a word of the new text.
        fillPeriodBound(static_cast<QLineEdit*>(watched));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void SlaBoardForm::load() {
    ui::replaceEntries(m_ui->Combo5, {QStringLiteral("UP_TIME"), QStringLiteral("DOWN_TIME")},
                       QStringLiteral("UP/DOWN TIME"));
    m_ui->Combo3->setEditText(QStringLiteral("STATUS"));
    m_ui->Combo4->setEditText(QStringLiteral("CIRCLE"));
    m_ui->Combo6->setEditText(QStringLiteral("SSA"));
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        showNotClosed();
        QStringList reasons;
        for (auto row = m_db.query(QStringLiteral("SELECT * FROM AP_RFO")); !row.atEnd();
             row.next())
            reasons << row.field(QStringLiteral("RFO"));
        ui::replaceEntries(m_ui->Combo1, reasons, QString());
        QStringList circles;
        for (auto row = m_db.query(QStringLiteral("select circle from circle")); !row.atEnd();
             row.next())
            circles << row.trimmed(QStringLiteral("circle"));
        ui::replaceEntries(m_ui->Combo4, circles, m_ui->Combo4->currentText());
        m_db.close();
        ui::replaceEntries(m_ui->Combo2, {QStringLiteral("VUVA"), QStringLiteral("ZEL")},
                           QString());
        ui::replaceEntries(m_ui->Combo3,
                           {QStringLiteral("OPEN"), QStringLiteral("RESOLVED"), closed},
                           m_ui->Combo3->currentText());
    });
}

void SlaBoardForm::showNotClosed() {
    showInGrid(QStringLiteral("select * from olt_status where Status <>? order by fault_id desc"),
               {db::text(closed)});
}

void SlaBoardForm::showInGrid(const QString& sql, const db::Params& params) {
    m_db.bindGrid(m_ui->MSHFlexGrid1->gridModel(), sql, params);
    showCount();
}

void SlaBoardForm::showCount() {
    ui::setRowCountCaption(m_ui->Label1, m_ui->MSHFlexGrid1);
}

// Every filter includes the status, so while the box still reads "STATUS"
// nothing matches.
void SlaBoardForm::filterByStatus() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        showInGrid(
            QStringLiteral("select * from olt_status where Status =? order by fault_id desc"),
            {db::text(m_ui->Combo3->currentText())});
        m_db.close();
        m_ui->Text1->setFocus();
    });
}

void SlaBoardForm::filterByCircle() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        const QString circle = m_ui->Combo4->currentText();
        m_db.open();
        showInGrid(QStringLiteral("select * from olt_status where Status =? and circle =? order "
                                  "by fault_id desc"),
                   {db::text(m_ui->Combo3->currentText()), db::text(circle)});
        QStringList ssas;
        for (auto row = m_db.query(QStringLiteral("select SSA from ssa where circle=?"),
                                   {db::text(circle)});
             !row.atEnd(); row.next())
            ssas << row.trimmed(QStringLiteral("SSA"));
        ui::replaceEntries(m_ui->Combo6, ssas, QString());
        m_db.close();
    });
}

void SlaBoardForm::filterBySsa() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        showInGrid(QStringLiteral("select * from olt_status where Status =? and circle =? and "
                                  "SSA =? order by fault_id desc"),
                   {db::text(m_ui->Combo3->currentText()), db::text(m_ui->Combo4->currentText()),
                    db::text(m_ui->Combo6->currentText())});
        m_db.close();
    });
}

// A text that is no outage number names no outage, so nothing is asked of
// the server (its integer column would refuse the comparison). A reason or
// party the operator chose since the last lookup stays for the close.
void SlaBoardForm::lookUpOutage() {
    const auto number = outageNumber(m_ui->Text1->text());
    if (!number)
        return;
    ui::stopOnError(m_app.dialogs, &m_db, [&] {
        m_db.open();
        for (auto row = m_db.query(
                 QStringLiteral("select rfo,on_the_part_of,IP from olt_status where fault_id=?"),
                 {db::number(QString::number(*number))});
             !row.atEnd(); row.next()) {
            const QString reason = row.field(QStringLiteral("rfo"));
            const QString party = row.field(QStringLiteral("on_the_part_of"));
            m_ui->Combo1->setEditText(
                afterLookup(m_ui->Combo1->currentText(), m_reasonLeft, reason));
            m_ui->Combo2->setEditText(afterLookup(m_ui->Combo2->currentText(), m_partyLeft, party));
            m_ui->Label2->setText(row.field(QStringLiteral("IP")));
            m_reasonLeft = reason;
            m_partyLeft = party;
        }
        m_db.close();
    });
}

// An outage is closed only with its reason and the party responsible; a
// number that names no outage is told, since nothing was closed.
void SlaBoardForm::closeOutage() {
    const QString reason = m_ui->Combo1->currentText();
    const QString party = m_ui->Combo2->currentText();
    if (reason.trimmed().isEmpty() || party.trimmed().isEmpty()) {
        m_app.dialogs.message(
            QStringLiteral("CHOOSE THE REASON FOR OUTAGE AND THE PARTY RESPONSIBLE"), nocTitle,
            ui::Icon::Information);
        (reason.trimmed().isEmpty() ? m_ui->Combo1 : m_ui->Combo2)->setFocus();
        return;
    }
    const QString typed = m_ui->Text1->text().trimmed();
    const auto number = outageNumber(typed);
    ui::stopOnError(m_app.dialogs, &m_db, [&] {
        m_db.open();
        const int changed =
            number ? m_db.execute(QStringLiteral("update olt_status set rfo=?,on_the_part_of=?,"
                                                 "status=?where fault_id=?"),
                                  {db::text(reason), db::text(party), db::text(closed),
                                   db::number(QString::number(*number))})
                   : 0;
        showNotClosed();
        m_db.close();
        m_ui->Text1->setFocus();
        if (changed > 0) {
            m_reasonLeft = reason;
            m_partyLeft = party;
        } else if (!typed.isEmpty()) {
            m_app.dialogs.message(outageNotFound(typed), nocTitle, ui::Icon::Exclamation);
        }
    });
}

// Each step goes on past a failure; the count follows whatever the grid
// then shows.
void SlaBoardForm::showYesterday() {
    ui::ContinueOnError steps(&m_db);
    steps.step([&] { m_db.open(); });
    steps.step([&] {
        m_db.bindGrid(m_ui->MSHFlexGrid1->gridModel(), db::yesterdaysOutagesSql(m_db.backend()));
    });
    steps.step([&] { showCount(); });
    steps.step([&] { m_db.close(); });
}

// Each box fills only itself, so a start typed by hand survives filling
// the end.
void SlaBoardForm::fillPeriodBound(QLineEdit* box) {
    const Period period = yesterday(m_app.clock.now().date());
    box->setText(box == m_ui->Text2 ? period.start : period.end);
}

// The report window's grid gets the list; the board's own grid stays. A
// period that is no date is told, so an earlier list is not taken for it.
void SlaBoardForm::showRepeatedDown() {
    const QString start = m_ui->Text2->text();
    const QString end = m_ui->Text3->text();
    if (!core::formats::parseDateTime(start) || !core::formats::parseDateTime(end)) {
        m_app.dialogs.message(QStringLiteral("PERIOD IS NOT A DATE"), nocTitle,
                              ui::Icon::Exclamation);
        return;
    }
    const QString sql = repeatedDownSql(periodColumn(m_ui->Combo5->currentText()));
    complaints::NocReportForm* report = complaints::NocReportForm::open(m_app);
    ui::ContinueOnError steps(&m_db);
    steps.step([&] { m_db.open(); });
    steps.step([&] {
        if (report)
            m_db.bindGrid(report->grid()->gridModel(), sql,
                          {db::dateTime(start), db::dateTime(end)});
    });
    steps.step([&] { m_db.close(); });
}

void SlaBoardForm::exportGrid() {
    const ui::WaitingAction wait(this);
    ui::stopOnError(m_app.dialogs, nullptr,
                    [grid = &m_ui->MSHFlexGrid1->gridModel(), &app = m_app, screen = this] {
                        integrations::exportGrid(*grid, app.config, *app.programs, screen);
                    });
}

} // namespace faults
