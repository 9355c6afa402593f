#pragma once

#include "core/app_context.h"
#include "db/screen_db.h"

#include <QWidget>
#include <memory>

class QLineEdit;

namespace Ui {
class CircleContactsForm;
}

namespace faults {

// The people recorded for a circle: the franchise's circle head and VUVA's
// chief general manager. Filled and raised from the site fault screen; the
// operator corrects the boxes and saves them back.
class CircleContactsForm : public QWidget {
    Q_OBJECT
public:
    explicit CircleContactsForm(core::AppContext& app, QWidget* parent = nullptr);
    ~CircleContactsForm() override;

    // The single instance, raised as it was left or built afresh.
    static CircleContactsForm* open(core::AppContext& app);

    void showCircle(const QString& circle);
    // Columns 1 to 6 of the circle's row, in order.
    void showContacts(const QStringList& contacts);

private:
    QList<QLineEdit*> boxes() const;
    void save();

    core::AppContext& m_app;
    std::unique_ptr<Ui::CircleContactsForm> m_ui;
    db::ScreenDb m_db;
};

} // namespace faults
