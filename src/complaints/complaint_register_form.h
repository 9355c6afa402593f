#pragma once

#include "complaints/complaint_lifecycle.h"
#include "complaints/complaint_rules.h"
#include "core/app_context.h"
#include "db/screen_db.h"

#include <QWidget>
#include <memory>
#include <optional>

class QComboBox;
class QTimer;

namespace Ui {
class ComplaintRegisterForm;
}

namespace complaints {

// The customer-care desk's complaint register: find a subscriber, see the
// record, the open complaint and the earlier ones; log, update and close
// complaints; correct the subscriber's record and reach the subscriber's AP.
class ComplaintRegisterForm : public QWidget {
    Q_OBJECT
public:
    explicit ComplaintRegisterForm(core::AppContext& app, QWidget* parent = nullptr);
    ~ComplaintRegisterForm() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The screen itself
    void load();
    void tick();
    void searchSubscriber();
    void showSubscriber(const db::RowCursor& row);
    void findEngineers();
    void showSiteState();
    void lookUpComplaint();
    void showComplaint(const db::RowCursor& row, ComplaintRead read);
    void showHistoryGrid(const QString& subscriberId);
    void circleChosen();
    void ssaChosen();
    void engineerChosen();
    void complaintEngineerChosen();
    // The trimmed mobile of the named engineer of the chosen circle and SSA
    // (the last row found), or nothing when there is none.
    std::optional<QString> engineerMobile(const QString& name);
    void clearScreen();
    void showOpenComplaints();
    void stampUpdateText();

    // Complaints
    void submitComplaint();
    bool openComplaintShown();
    bool submitFieldsMissing() const;
    void logNewComplaint();
    void updateComplaint();
    void recordComplaintUpdate(const QString& number);
    void closeComplaint();
    bool closeShownComplaint(const QString& number);
    void tellAlreadyOpen();
    // The guard on the stored history (complaint_register_actions.cpp).
    QString lookedUpHistory(const QString& number) const;
    void rememberStored(const QString& number, const QString& history);
    void tellMissedWrite(HistoryWrite written, const QString& number);

    // The subscriber's record
    void saveSubscriber();
    void assignVoiceIp();
    void showPolicyPage();
    void refreshAp();
    void browsePolicyServer(const QString& page);
    void storeRefreshedAp(const QString& id);
    void openAp();

    bool mobileRefused(const QString& mobile);
    QString signedInUser() const;

    core::AppContext& m_app;
    std::unique_ptr<Ui::ComplaintRegisterForm> m_ui;
    db::ScreenDb m_db;
    QTimer* m_timer;
    // The subscriber's AP site address, found by the last search.
    QString m_apAddress;
    // The complaint last shown or written, and its history as stored.
    QString m_lookedUpNumber;
    QString m_lookedUpHistory;
};

} // namespace complaints
