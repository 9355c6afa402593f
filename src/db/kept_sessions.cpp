#include "db/kept_sessions.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <deque>

namespace db::kept_sessions {

namespace {

// A screen's action and the one that waits beside it.
constexpr std::size_t sessionsKept = 2;

struct Kept {
    QString name;
    QString target;
};

std::deque<Kept>& sessions() {
    static std::deque<Kept> kept;
    return kept;
}

bool onMainThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void drop(const QString& name) {
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

bool alive(const QString& name) {
    QSqlQuery ping(QSqlDatabase::database(name, false));
    return ping.exec(QStringLiteral("SELECT 1"));
}

} // namespace

QString target(const DbSettings& settings, bool secondary) {
    const QChar unit(0x1f);
    return (secondary ? settings.secondaryServer : settings.primaryServer) + unit +
           (secondary ? settings.pgSecondaryDatabase : settings.pgDatabase) + unit +
           settings.pgUser + unit + settings.pgPassword + unit + settings.pgSslMode;
}

QString take(const QString& target) {
    if (!onMainThread())
        return {};
    auto& kept = sessions();
    for (auto it = kept.begin(); it != kept.end();) {
        if (it->target != target) {
            ++it;
            continue;
        }
        const QString name = it->name;
        it = kept.erase(it);
        if (alive(name))
            return name;
        drop(name);
    }
    return {};
}

bool keep(const QString& name, const QString& target) {
    if (!onMainThread() || !QSqlDatabase::database(name, false).isOpen())
        return false;
    auto& kept = sessions();
    kept.push_back({name, target});
    while (kept.size() > sessionsKept) {
        drop(kept.front().name);
        kept.pop_front();
    }
    return true;
}

} // namespace db::kept_sessions
