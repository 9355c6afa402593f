#pragma once

#include "core/app_context.h"
#include "db/screen_db.h"

#include <QList>
#include <QWidget>
#include <memory>

class QComboBox;

namespace Ui {
class OpenComplaintBoardForm;
}

namespace complaints {

// The NOC desk's view of the complaints not yet closed, longest pending
// first, with one-condition filters, lookups by complaint number or
// subscriber, the spreadsheet export and the period report. It only reads.
class OpenComplaintBoardForm : public QWidget {
    Q_OBJECT
public:
    explicit OpenComplaintBoardForm(core::AppContext& app, QWidget* parent = nullptr);
    ~OpenComplaintBoardForm() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QWidget*> watchedControls() const;
    void load();
    void filterByCircle();
    void filterByStatus();
    void filterBySsa();
    void filterByService();
    void showInGrid(const QString& sql, const db::Params& params);
    void showCount();
    void lookUpComplaint();
    void lookUpSubscriber();
    void exportGrid();
    void showNocReport();
    void back();

    core::AppContext& m_app;
    std::unique_ptr<Ui::OpenComplaintBoardForm> m_ui;
    db::ScreenDb m_db;
};

} // namespace complaints
