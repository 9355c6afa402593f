#include "app/login_form.h"

#include "ui/enter_navigation.h"
#include "ui_login_form.h"

namespace app {

LoginForm::LoginForm(core::AppContext& app, QWidget* parent)
    : QWidget(parent), m_app(app), m_ui(std::make_unique<Ui::LoginForm>()) {
    m_ui->setupUi(this);
    ui::enterMovesFocus({m_ui->Text1, m_ui->Text2});
}

LoginForm::~LoginForm() = default;

} // namespace app
