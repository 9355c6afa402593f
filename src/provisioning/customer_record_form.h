#pragma once

#include "core/app_context.h"
#include "db/screen_db.h"
#include "provisioning/registration.h"

#include <QWidget>
#include <memory>
#include <optional>

class QComboBox;

namespace Ui {
class CustomerRecordForm;
}

namespace provisioning {

// Where an operator registers a new subscriber: cascading circle, SSA,
// service, site and engineer lists from the database, the voice account
// texts composed for the chosen NGN provider, lookups in the subscriber
// directory and the MTNL pages, the OLT's pages, and SUBMIT.
class CustomerRecordForm : public QWidget {
    Q_OBJECT
public:
    explicit CustomerRecordForm(core::AppContext& app, QWidget* parent = nullptr);
    ~CustomerRecordForm() override;

    // What the last lookups found; kept while the screen is open.
    const LookupValues& lookups() const { return m_lookup; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load();
    void chooseCircle();
    void chooseSsa();
    void chooseService();
    void chooseSite();
    void chooseEngineer();
    void chooseProvider();
    void clearEntry();
    void submit();
    CustomerEntry currentEntry() const;
    void showOutcome(const RegistrationResult& result);

    void checkLdap();
    void applyLdapAnswer(const QString& bodyText);
    void fillSitesAndEngineers();
    void checkMtnl();
    void openOlt();
    void checkVlan();
    void openAp();
    void callCustomer();
    void openSitePage();
    void importMac();

    void fillSsaList();
    void fillEngineerList();
    // A setting the action needs; a missing one is reported and ends the
    // action, even where other failures pass silently.
    std::optional<QString> setting(const QString& key);
    // Page actions keep the screen open until they are done: a close asked
    // for meanwhile waits for the last of them.

    core::AppContext& m_app;
    std::unique_ptr<Ui::CustomerRecordForm> m_ui;
    db::ScreenDb m_db;
    LookupValues m_lookup;
};

} // namespace provisioning
