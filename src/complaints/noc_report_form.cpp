#include "complaints/noc_report_form.h"

#include "db/grid_model.h"
#include "integrations/spreadsheet_export.h"
#include "ui/action_policy.h"
#include "ui/query_grid.h"
#include "ui/screen_registry.h"
#include "ui/waiting_action.h"
#include "ui_noc_report_form.h"

namespace complaints {

namespace {

// The count column has no name in the answer, so the grid gets names of its own.
QStringList closuresHeader() {
    return {QStringLiteral("OPERATOR"), QStringLiteral("COMPLAIN CLOSED")};
}

db::Params period(const QString& start, const QString& end) {
    return {db::dateTime(start), db::dateTime(end)};
}

} // namespace

NocReportForm::NocReportForm(core::AppContext& app, QWidget* parent)
    : QWidget(parent)
    , m_app(app)
    , m_ui(std::make_unique<Ui::NocReportForm>())
    , m_db(app.database) {
    m_ui->setupUi(this);
    m_ui->MSHFlexGrid1->setColumnWidthsTwips({4000});
    connect(m_ui->Command1, &QPushButton::clicked, this, &NocReportForm::exportGrid);
}

NocReportForm::~NocReportForm() = default;

NocReportForm* NocReportForm::open(core::AppContext& app) {
    if (!app.screens)
        return nullptr;
    return app.screens->open<NocReportForm>(
        QStringLiteral("Form6"),
        [&app] {
            auto* form = new NocReportForm(app);
            ui::centreOnScreen(form);
            return form;
        },
        ui::ScreenRegistry::Placement::TopLevel);
}

ui::QueryGrid* NocReportForm::grid() const {
    return m_ui->MSHFlexGrid1;
}

void NocReportForm::report(const QString& start, const QString& end) {
    ui::ContinueOnError steps(&m_db);
    steps.step([&] { m_db.open(); });
    steps.step([&] { showClosuresPerOperator(start, end); });
    steps.step([&] {
        showCount(
            m_ui->Label1, QStringLiteral("TOTAL COMPLAIN LOGGED "),
            QStringLiteral("select count(id) from complain where [issue DATE] between ? AND ?"),
            period(start, end));
    });
    steps.step([&] {
        showCount(
            m_ui->Label2, QStringLiteral("TOTAL COMPLAIN CLOSED "),
            QStringLiteral("select count(id) from complain where [CLOSE DATE] between ? AND ?"),
            period(start, end));
    });
    steps.step([&] {
        showCount(
            m_ui->Label3, QStringLiteral("CARRY FORWARDED BY PREVIOUS DAY "),
            QStringLiteral(
                "select count(id) from complain where [ISSUE DATE] < ? AND STATUS <>'CLOSED'"),
            {db::dateTime(start)});
    });
    steps.step([&] { m_db.close(); });
}

void NocReportForm::showCount(QLabel* label, const QString& caption, const QString& sql,
                              const db::Params& params) {
    label->setText(caption + m_db.query(sql, params).field(0));
}

// Read into a copy first, so a statement that fails half way leaves the grid
// as it was.
void NocReportForm::showClosuresPerOperator(const QString& start, const QString& end) {
    db::GridModel answer;
    m_db.bindGrid(answer,
                  QStringLiteral("SELECT NE, COUNT(NE) FROM COMPLAIN where [CLOSE DATE] between ? "
                                 "AND ? GROUP BY NE HAVING COUNT(NE) > 1"),
                  period(start, end));
    db::GridModel& grid = m_ui->MSHFlexGrid1->gridModel();
    grid.beginFill(closuresHeader());
    for (int row = 0; row < answer.rowCount(); ++row)
        for (int column = 0; column < answer.columnCount(); ++column)
            grid.appendCell(answer.cell(row, column));
    grid.endFill();
}

// The workbook is written while the screen stays live; nothing here
// touches the screen once the export has begun.
void NocReportForm::exportGrid() {
    const ui::WaitingAction wait(this);
    ui::stopOnError(m_app.dialogs, nullptr,
                    [grid = &m_ui->MSHFlexGrid1->gridModel(), &app = m_app, screen = this] {
                        integrations::exportGrid(*grid, app.config, *app.programs, screen);
                    });
}

} // namespace complaints
