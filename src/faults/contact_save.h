#pragma once

#include <QList>
#include <QString>

class QLineEdit;

namespace core {
struct AppContext;
}

namespace db {
class ScreenDb;
}

// The one save both contact screens share: every box filled, the operator
// sure, one UPDATE, and a word on whether it found its row.
namespace faults {

void saveContacts(core::AppContext& app, db::ScreenDb& db, const QList<QLineEdit*>& required,
                  const QString& sql, const QList<QLineEdit*>& values, const QString& missingRow);

} // namespace faults
