#pragma once

#include "core/app_context.h"
#include "db/screen_db.h"

#include <QWidget>
#include <memory>

namespace Ui {
class UserApStatusForm;
}

namespace masterdata {

struct StatusTally;

// A read-only report: the active named sites of a circle, an SSA or a
// whole service, and the subscribers of that scope counted by state. The
// sites come from the status server, the counts from the main database.
class UserApStatusForm : public QWidget {
    Q_OBJECT
public:
    explicit UserApStatusForm(core::AppContext& app, QWidget* parent = nullptr);
    ~UserApStatusForm() override;

private:
    void load();
    void chooseCircle();
    void chooseSsa();
    void chooseService();
    void showSites(const QString& sql, const db::Params& params = {});
    void tally(const QString& sql, const db::Params& params = {});
    void showTally(const StatusTally& tally);
    void exportGrid();

    core::AppContext& m_app;
    std::unique_ptr<Ui::UserApStatusForm> m_ui;
    db::ScreenDb m_db;
    std::unique_ptr<db::ScreenDb> m_statusDb;
};

} // namespace masterdata
