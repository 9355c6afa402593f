#pragma once

#include <QString>
#include <functional>
#include <optional>

namespace core {
class Config;
}
namespace db {
class ScreenDb;
}

namespace ui {

class Dialogs;

// Stop on error: runs the action; the first exception ends it, its message is
// shown (default title, no icon), and the screen's connection is unwound to
// where it stood when the action began. Returns false when the action stopped.
bool stopOnError(Dialogs& dialogs, db::ScreenDb* db, const std::function<void()>& action);

// The setting, or nothing once the operator has been shown which one is
// missing (no title, critical icon).
std::optional<QString> requiredSetting(Dialogs& dialogs, const core::Config& config,
                                       const QString& key);

// Continue on error: an action made of steps, each guarded on its own, a
// failing step skipped without a word. `db` (optional) is unwound at the end.
class ContinueOnError {
public:
    explicit ContinueOnError(db::ScreenDb* db = nullptr);
    ~ContinueOnError();
    ContinueOnError(const ContinueOnError&) = delete;
    ContinueOnError& operator=(const ContinueOnError&) = delete;

    // Runs one step; returns whether it finished without an exception.
    bool step(const std::function<void()>& fn);

private:
    db::ScreenDb* m_db;
    int m_depth;
};

} // namespace ui
