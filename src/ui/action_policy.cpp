#include "ui/action_policy.h"

#include "core/config.h"
#include "db/screen_db.h"
#include "ui/dialogs.h"

#include <QString>
#include <exception>

namespace ui {

namespace {

int depthOf(const db::ScreenDb* db) {
    return db ? db->depth() : 0;
}

// Closing must not throw out of an error path or a destructor: a connection
// that cannot even be closed cleanly has nothing more to tell the operator.
void unwind(db::ScreenDb* db, int depth) noexcept {
    if (!db)
        return;
    try {
        db->closeTo(depth);
    } catch (const std::exception&) {
    }
}

} // namespace

bool stopOnError(Dialogs& dialogs, db::ScreenDb* db, const std::function<void()>& action) {
    const int depth = depthOf(db);
    try {
        action();
        return true;
    } catch (const std::exception& e) {
        // Unwound before the message box: its event loop may start another
        // action of this screen, which must find the connection as it was.
        unwind(db, depth);
        dialogs.message(QString::fromStdString(e.what()));
        return false;
    }
}

std::optional<QString> requiredSetting(Dialogs& dialogs, const core::Config& config,
                                       const QString& key) {
    try {
        return config.required(key);
    } catch (const core::ConfigError& e) {
        dialogs.message(e.message(), {}, Icon::Critical);
        return std::nullopt;
    }
}

ContinueOnError::ContinueOnError(db::ScreenDb* db)
    : m_db(db)
    , m_depth(depthOf(db)) {}

ContinueOnError::~ContinueOnError() {
    unwind(m_db, m_depth);
}

bool ContinueOnError::step(const std::function<void()>& fn) {
    try {
        fn();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace ui
