#pragma once

#include "core/app_context.h"

#include <QWidget>
#include <memory>

namespace Ui {
class LoginForm;
}

namespace app {

// The first window of the process, where an operator signs in.
class LoginForm : public QWidget {
    Q_OBJECT
public:
    explicit LoginForm(core::AppContext& app, QWidget* parent = nullptr);
    ~LoginForm() override;

private:
    core::AppContext& m_app;
    std::unique_ptr<Ui::LoginForm> m_ui;
};

} // namespace app
