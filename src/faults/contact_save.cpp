#include "faults/contact_save.h"

#include "core/app_context.h"
#include "db/screen_db.h"
#include "ui/action_policy.h"
#include "ui/dialogs.h"

#include <QLineEdit>

namespace faults {

void saveContacts(core::AppContext& app, db::ScreenDb& db, const QList<QLineEdit*>& required,
                  const QString& sql, const QList<QLineEdit*>& values, const QString& missingRow) {
    const QString title = QStringLiteral("ZEL NOC");
    for (const QLineEdit* box : required)
        if (box->text().isEmpty()) {
            app.dialogs.message(QStringLiteral("PLEASE ENTER ALL THE DATA"), title,
                                ui::Icon::Information);
            return;
        }
    ui::stopOnError(app.dialogs, &db, [&] {
        db.open();
        if (app.dialogs.askYesNo(QStringLiteral("ARE YOU SURE TO UPDATE"), title)) {
            db::Params params;
            for (const QLineEdit* box : values)
                params << db::text(box->text());
            if (db.execute(sql, params) > 0)
                app.dialogs.message(QStringLiteral("DATA UPDATED SUCCESSFULLY"), title,
                                    ui::Icon::Information);
            else
                app.dialogs.message(missingRow, title, ui::Icon::Exclamation);
        }
        db.close();
    });
}

} // namespace faults
