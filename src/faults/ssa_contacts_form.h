#pragma once

#include "core/app_context.h"
#include "db/screen_db.h"

#include <QWidget>
#include <memory>

class QLineEdit;

namespace Ui {
class SsaContactsForm;
}

namespace faults {

// The people recorded for an SSA: the franchise's field engineer and VUVA's
// SDEs and general manager. Filled and raised from the site fault screen;
// the operator corrects the boxes and saves them back.
class SsaContactsForm : public QWidget {
    Q_OBJECT
public:
    explicit SsaContactsForm(core::AppContext& app, QWidget* parent = nullptr);
    ~SsaContactsForm() override;

    // The single instance, raised as it was left or built afresh.
    static SsaContactsForm* open(core::AppContext& app);

    void showNames(const QString& circle, const QString& ssa);
    // Columns 2 to 9 of the SSA's row, in order.
    void showContacts(const QStringList& contacts);

private:
    QList<QLineEdit*> boxes() const;
    void save();

    core::AppContext& m_app;
    std::unique_ptr<Ui::SsaContactsForm> m_ui;
    db::ScreenDb m_db;
};

} // namespace faults
