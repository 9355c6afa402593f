#pragma once

#include "core/app_context.h"
#include "db/screen_db.h"
#include "integrations/olt_pages.h"

#include <QWidget>
#include <memory>
#include <optional>
#include <utility>

namespace Ui {
class OnuConfigurationForm;
}

namespace onu {

// One subscriber's ONU: looks the subscriber up, shows what the records hold
// about the ONU, its WAN, phone and Wi-Fi, and works on the ONU through the
// OLT management web service, whose pages show in the embedded browser.
class OnuConfigurationForm : public QWidget {
    Q_OBJECT
public:
    explicit OnuConfigurationForm(core::AppContext& app, QWidget* parent = nullptr);
    ~OnuConfigurationForm() override;

private:
    // Lookup, provider, clear
    void search();
    QList<QWidget*> subscriberFields() const;
    void showStartTexts();
    void readSubscriber(const db::RowCursor& row);
    void chooseProvider();
    void clear();

    // Pages of the OLT service
    void showPage(integrations::OltPage page, const QStringList& extra = {});
    void configureWan();
    void configurePhone();
    void configureWifi();
    void configureWifi5();
    void clearOffline();
    void checkVlan();
    void showUsage();
    void loginToOlt();
    void openOltInBrowser();

    // Record updates
    void updateVoip();
    void updateWifi();
    void updateMac();
    void told(const QString& text);

    std::optional<QString> setting(const QString& key);

    core::AppContext& m_app;
    std::unique_ptr<Ui::OnuConfigurationForm> m_ui;
    db::ScreenDb m_db;
    // What each of subscriberFields() showed when the screen opened.
    QList<std::pair<QWidget*, QString>> m_startTexts;
};

} // namespace onu
