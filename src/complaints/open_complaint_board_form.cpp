#include "complaints/open_complaint_board_form.h"

#include "complaints/complaint_register_form.h"
#include "complaints/noc_report_form.h"
#include "core/clock.h"
#include "core/text_formats.h"
#include "integrations/spreadsheet_export.h"
#include "ui/action_policy.h"
#include "ui/enter_navigation.h"
#include "ui/list_box.h"
#include "ui/query_grid.h"
#include "ui/screen_registry.h"
#include "ui/waiting_action.h"
#include "ui_open_complaint_board_form.h"

#include <QFocusEvent>

namespace complaints {

namespace {

const QString closed = QStringLiteral("CLOSED");

} // namespace

OpenComplaintBoardForm::OpenComplaintBoardForm(core::AppContext& app, QWidget* parent)
    : QWidget(parent)
    , m_app(app)
    , m_ui(std::make_unique<Ui::OpenComplaintBoardForm>())
    , m_db(app.database) {
    m_ui->setupUi(this);
    ui::enterMovesFocus({m_ui->Text1, m_ui->Text2, m_ui->Combo2});
    for (QWidget* watched : watchedControls())
        watched->installEventFilter(this);
    ui::keepTypedText(this);
    ui::onListPick(m_ui->Combo1, this, &OpenComplaintBoardForm::filterByCircle);
    ui::onListPick(m_ui->Combo2, this, &OpenComplaintBoardForm::filterByStatus);
    ui::onListPick(m_ui->Combo5, this, &OpenComplaintBoardForm::filterBySsa);
    ui::onListPick(m_ui->Combo6, this, &OpenComplaintBoardForm::filterByService);
    connect(m_ui->Command11, &QPushButton::clicked, this, &OpenComplaintBoardForm::exportGrid);
    connect(m_ui->Command1, &QPushButton::clicked, this, &OpenComplaintBoardForm::showNocReport);
    connect(m_ui->Command2, &QPushButton::clicked, this, &OpenComplaintBoardForm::back);
    load();
}

// Tearing the controls down moves the focus; no lookup may run on a board
// that is going away.
OpenComplaintBoardForm::~OpenComplaintBoardForm() {
    for (QWidget* watched : watchedControls())
        watched->removeEventFilter(this);
}

QList<QWidget*> OpenComplaintBoardForm::watchedControls() const {
    return {m_ui->Text1, m_ui->Text2, m_ui->Text5, m_ui->Text7};
}

bool OpenComplaintBoardForm::eventFilter(QObject* watched, QEvent* event) {
    if (ui::leavesForAnotherControl(event)) {
        if (watched == m_ui->Text1)
            lookUpComplaint();
        else if (watched == m_ui->Text2)
            lookUpSubscriber();
    } else if (event->type() == QEvent::MouseButtonDblClick &&
               (watched == m_ui->Text5 || watched == m_ui->Text7)) {
        // The box's own double click would select a word of the new text.
        static_cast<QLineEdit*>(watched)->setText(core::formats::shortDateTime(m_app.clock.now()));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void OpenComplaintBoardForm::load() {
    ui::replaceEntries(m_ui->Combo6,
                       {QStringLiteral("FTTH"), QStringLiteral("BBOWIFI"), QStringLiteral("AF"),
                        QStringLiteral("MTNL")},
                       QStringLiteral("SERVICE"));
    ui::replaceEntries(
        m_ui->Combo3,
        {QStringLiteral("OPEN"), QStringLiteral("OPEN-FE"), QStringLiteral("SITE-DOWN")},
        QStringLiteral("SELECT STATUS"));
    ui::replaceEntries(m_ui->Combo2,
                       {QStringLiteral("ALL"), closed, QStringLiteral("OPEN"),
                        QStringLiteral("NEW"), QStringLiteral("VOIP"), QStringLiteral("OPEN-FE")},
                       QStringLiteral("SELECT STATUS"));
    m_ui->Combo1->setEditText(QStringLiteral("SELECT CIRCLE"));
    m_ui->Combo5->setEditText(QStringLiteral("Combo5"));
    m_ui->Combo4->setEditText(QStringLiteral("SELECT ENGINEER"));
    // Column 6 (the close date) keeps the grid's default of 1200.
    m_ui->MSHFlexGrid1->setColumnWidthsTwips(
        {800, 2000, 1200, 1200, 2000, 800, 1200, 1200, 1200, 800, 1000, 3000, 2000, 2000});
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        QStringList circles;
        for (auto row = m_db.query(QStringLiteral("select CIRCLE from CIRCLE")); !row.atEnd();
             row.next())
            circles << row.trimmed(QStringLiteral("circle"));
        ui::replaceEntries(m_ui->Combo1, circles, m_ui->Combo1->currentText());
        showInGrid(QStringLiteral("select *  from complain where Status <>? order by pending desc"),
                   {db::text(closed)});
        m_db.close();
        showCount();
    });
}

void OpenComplaintBoardForm::showInGrid(const QString& sql, const db::Params& params) {
    m_db.bindGrid(m_ui->MSHFlexGrid1->gridModel(), sql, params);
}

void OpenComplaintBoardForm::showCount() {
    ui::setRowCountCaption(m_ui->Label10, m_ui->MSHFlexGrid1);
}

void OpenComplaintBoardForm::filterByCircle() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        const QString circle = m_ui->Combo1->currentText();
        m_db.open();
        showInGrid(QStringLiteral("select * from complain where Status<>'CLOSED'and CIRCLE= "
                                  "?order by pending desc"),
                   {db::text(circle)});
        // The SSAs come from the engineers' clusters, as the register files them.
        QStringList ssas;
        for (auto row = m_db.query(QStringLiteral("select DISTINCT CLUSTER from FE where circle=?"),
                                   {db::text(circle)});
             !row.atEnd(); row.next())
            ssas << row.trimmed(QStringLiteral("CLUSTER"));
        ui::replaceEntries(m_ui->Combo5, ssas, QString());
        m_db.close();
        showCount();
    });
}

void OpenComplaintBoardForm::filterByStatus() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        const QString status = m_ui->Combo2->currentText();
        m_db.open();
        if (status == QLatin1String("ALL"))
            showInGrid(
                QStringLiteral("select * from complain where Status <>? order by pending desc"),
                {db::text(closed)});
        else
            showInGrid(
                QStringLiteral("select * from complain where Status=? order by pending desc"),
                {db::text(status)});
        m_db.close();
        showCount();
    });
}

void OpenComplaintBoardForm::filterBySsa() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        showInGrid(QStringLiteral("select * from complain where Status<>'CLOSED'and SSA=? AND "
                                  "CIRCLE=? order by pending desc "),
                   {db::text(m_ui->Combo5->currentText()), db::text(m_ui->Combo1->currentText())});
        m_db.close();
        showCount();
    });
}

// The one filter that goes on past a failure: the grid keeps what it had, or
// what was read before the failure, and the count follows the grid.
void OpenComplaintBoardForm::filterByService() {
    ui::ContinueOnError steps(&m_db);
    steps.step([&] { m_db.open(); });
    steps.step([&] {
        showInGrid(QStringLiteral(
                       "select * from complain where Status <>?and srv=? order by pending desc"),
                   {db::text(closed), db::text(m_ui->Combo6->currentText())});
    });
    steps.step([&] { m_db.close(); });
    steps.step([&] { showCount(); });
}

void OpenComplaintBoardForm::lookUpComplaint() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        for (auto row = m_db.query(QStringLiteral("select * from complain WHERE ID= ?"),
                                   {db::rowNumber(m_ui->Text1->text())});
             !row.atEnd(); row.next()) {
            m_ui->Label3->setText(row.trimmed(1));
            m_ui->Combo3->setEditText(row.trimmed(5));
            m_ui->Combo4->setEditText(row.trimmed(8));
            m_ui->Text4->setText(row.trimmed(9));
            m_ui->Text2->setText(row.trimmed(12));
            m_ui->Label4->setText(row.trimmed(2));
            m_ui->Text6->setPlainText(row.trimmed(4));
            m_ui->Text3->clear();
        }
        m_db.close();
    });
}

void OpenComplaintBoardForm::lookUpSubscriber() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        for (auto row = m_db.query(QStringLiteral("select * from complain WHERE [User ID]= ?"),
                                   {db::text(m_ui->Text2->text())});
             !row.atEnd(); row.next()) {
            m_ui->Label3->setText(row.field(1));
            m_ui->Combo3->setEditText(row.trimmed(5));
            m_ui->Combo4->setEditText(row.field(8));
            m_ui->Text1->setText(row.trimmed(0));
            m_ui->Label4->setText(row.field(2));
            m_ui->Text4->setText(row.field(9));
        }
        m_db.close();
    });
}

// The workbook is written while the screen stays live; nothing here
// touches the screen once the export has begun.
void OpenComplaintBoardForm::exportGrid() {
    const ui::WaitingAction wait(this);
    ui::stopOnError(m_app.dialogs, nullptr,
                    [grid = &m_ui->MSHFlexGrid1->gridModel(), &app = m_app, screen = this] {
                        integrations::exportGrid(*grid, app.config, *app.programs, screen);
                    });
}

void OpenComplaintBoardForm::showNocReport() {
    if (NocReportForm* report = NocReportForm::open(m_app))
        report->report(m_ui->Text7->text(), m_ui->Text5->text());
}

// The register loads afresh; the board goes away with everything it showed.
void OpenComplaintBoardForm::back() {
    core::AppContext& app = m_app;
    close();
    if (app.screens)
        app.screens->open(
            QStringLiteral("Form3"), [&app] { return new ComplaintRegisterForm(app); },
            ui::ScreenRegistry::Placement::Child);
}

} // namespace complaints
