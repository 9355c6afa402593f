#pragma once

#include "core/app_context.h"
#include "db/screen_db.h"

#include <QWidget>
#include <memory>

class QLineEdit;

namespace Ui {
class SlaBoardForm;
}

namespace faults {

// The NOC's board of OLT and AP outages: the ones not closed, newest first,
// filtered by status, circle and SSA; an outage closed with its reason and
// the party responsible; yesterday's outages; equipment that went down more
// than once in a period, shown in the report window; the export.
class SlaBoardForm : public QWidget {
    Q_OBJECT
public:
    explicit SlaBoardForm(core::AppContext& app, QWidget* parent = nullptr);
    ~SlaBoardForm() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QWidget*> watchedControls() const;
    void load();
    void showNotClosed();
    void showInGrid(const QString& sql, const db::Params& params = {});
    void showCount();
    void filterByStatus();
    void filterByCircle();
    void filterBySsa();
    void lookUpOutage();
    void closeOutage();
    void showYesterday();
    void fillPeriodBound(QLineEdit* box);
    void showRepeatedDown();
    void exportGrid();

    core::AppContext& m_app;
    std::unique_ptr<Ui::SlaBoardForm> m_ui;
    db::ScreenDb m_db;
    // The reason and party the outage record held at the last lookup (or
    // close): a list showing anything else holds the operator's own choice.
    QString m_reasonLeft;
    QString m_partyLeft;
};

} // namespace faults
