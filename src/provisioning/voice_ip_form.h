#pragma once

#include "core/app_context.h"
#include "db/screen_db.h"

#include <QWidget>
#include <memory>

namespace Ui {
class VoiceIpForm;
}

namespace provisioning {

// The pool of voice IP addresses: gives a free address to a subscriber's
// number and shows the address a number holds.
class VoiceIpForm : public QWidget {
    Q_OBJECT
public:
    explicit VoiceIpForm(core::AppContext& app, QWidget* parent = nullptr);
    ~VoiceIpForm() override;

    void setVisible(bool visible) override;

private:
    void load();
    void chooseCircle();
    void chooseBng();
    void update();
    enum class Assignment { Assigned, AlreadyHeld, Refused };
    Assignment assign(const QString& number);
    void search();
    void message(const QString& text, bool refused = false);

    core::AppContext& m_app;
    std::unique_ptr<Ui::VoiceIpForm> m_ui;
    db::ScreenDb m_db;
    bool m_placed = false;
};

} // namespace provisioning
