#pragma once

#include "core/app_context.h"
#include "db/screen_db.h"

#include <QStringList>
#include <QWidget>
#include <memory>

namespace Ui {
class EquipmentDetailsForm;
}

namespace masterdata {

// One row of the site equipment table: allocate a free row (circle, SSA,
// BNG, free IP, which brings its tunnel id) to a site, or correct the row
// the site fault screen opened it with.
class EquipmentDetailsForm : public QWidget {
    Q_OBJECT
public:
    explicit EquipmentDetailsForm(core::AppContext& app, QWidget* parent = nullptr);
    ~EquipmentDetailsForm() override;

    // The single instance, raised as it was left or built afresh.
    static EquipmentDetailsForm* open(core::AppContext& app);

    // The row of `tunnelId`: its columns 1 to 14 (circle, SSA, SSID, BNG,
    // IP, site name, equipment type, status, VUVA equipment, VUVA IP, VUVA
    // port, port type, media provider, connected users).
    void showEquipment(const QString& tunnelId, const QStringList& columns);

private:
    void load();
    void chooseCircle();
    void chooseSsa();
    void chooseBng();
    void chooseIp();
    void save();
    void saveRow();

    core::AppContext& m_app;
    std::unique_ptr<Ui::EquipmentDetailsForm> m_ui;
    db::ScreenDb m_db;
    // The tunnel id last brought up from the free-IP list: saving it must
    // not take a row someone else allocated meanwhile.
    QString m_freeTunnelId;
};

} // namespace masterdata
