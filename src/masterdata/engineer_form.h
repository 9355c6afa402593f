#pragma once

#include "core/app_context.h"
#include "db/screen_db.h"

#include <QWidget>
#include <memory>

namespace Ui {
class EngineerForm;
}

namespace masterdata {

// The franchise's engineers: add one, look one's phone number up by name,
// change it. Names are not unique; a name stands for every row that has it.
class EngineerForm : public QWidget {
    Q_OBJECT
public:
    explicit EngineerForm(core::AppContext& app, QWidget* parent = nullptr);
    ~EngineerForm() override;

private:
    void load();
    void showChosen();
    void add();
    void updatePhone();
    void search();
    void clear();
    // Sets Text2 (and Text1 when asked) from every row whose name, blanks
    // at either end removed, is exactly `name`; the last row wins.
    void showPhoneOf(const QString& name, bool setName);

    core::AppContext& m_app;
    std::unique_ptr<Ui::EngineerForm> m_ui;
    db::ScreenDb m_db;
};

} // namespace masterdata
