#pragma once

#include "core/app_context.h"
#include "db/screen_db.h"

#include <QWidget>
#include <memory>

namespace Ui {
class InnerVlanForm;
}

namespace provisioning {

// The pool of inner VLANs per OLT site: hands a free pair to a user id, shows
// what a user id holds together with the commands for its router, records
// the ONU's MAC address and gives the pairs of a user id back to the pool.
class InnerVlanForm : public QWidget {
    Q_OBJECT
public:
    explicit InnerVlanForm(core::AppContext& app, QWidget* parent = nullptr);
    ~InnerVlanForm() override;

    void setVisible(bool visible) override;

private:
    void load();
    void chooseCircle();
    void chooseService();
    void chooseSite();
    void submit();
    enum class Assignment { Assigned, AlreadyHeld, Refused };
    Assignment assign(const QString& userId);
    void search();
    void showHeldPair(const QString& userId);
    QString indicatorOf(const QString& userId);
    void updateMac();
    void release();
    void clearFields();
    void message(const QString& text, const QString& title, bool refused = false);

    core::AppContext& m_app;
    std::unique_ptr<Ui::InnerVlanForm> m_ui;
    db::ScreenDb m_db;
    bool m_placed = false;
};

} // namespace provisioning
