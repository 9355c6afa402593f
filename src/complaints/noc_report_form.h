#pragma once

#include "core/app_context.h"
#include "db/screen_db.h"

#include <QWidget>
#include <memory>

class QLabel;

namespace Ui {
class NocReportForm;
}

namespace ui {
class QueryGrid;
}

namespace complaints {

// The report window: a grid and three figures. The complaint board fills all
// of it for a period; the SLA board puts its own list in the grid alone.
class NocReportForm : public QWidget {
    Q_OBJECT
public:
    explicit NocReportForm(core::AppContext& app, QWidget* parent = nullptr);
    ~NocReportForm() override;

    // The one shared window ("Form6"): brought to the front as it was left,
    // or loaded and centred on the screen when it is not open. Null when the
    // context has no screen registry.
    static NocReportForm* open(core::AppContext& app);

    // The grid, for a caller that shows its own statement here
    // (db.bindGrid(grid()->gridModel(), ...)); the figures keep what they show.
    ui::QueryGrid* grid() const;

    // The period's closures per operator and its three totals. «start» and
    // «end» are read as date-times as typed; a statement that fails (a text
    // that is no date, a lost connection) is skipped and its grid or figure
    // keeps what it showed.
    void report(const QString& start, const QString& end);

private:
    void showClosuresPerOperator(const QString& start, const QString& end);
    void showCount(QLabel* label, const QString& caption, const QString& sql,
                   const db::Params& params);
    void exportGrid();

    core::AppContext& m_app;
    std::unique_ptr<Ui::NocReportForm> m_ui;
    db::ScreenDb m_db;
};

} // namespace complaints
