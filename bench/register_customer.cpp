// Registers customers into two databases, a small and a large one, with the
// registration code SUBMIT uses, and reports the median time of one
// registration in each and their ratio. bench/register_customer.sh seeds the
// databases and runs it.
#include "core/clock.h"
#include "core/config.h"
#include "db/db_settings.h"
#include "db/error.h"
#include "db/screen_db.h"
#include "median.h"
#include "provisioning/registration.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QList>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

struct Target {
    QString path;
    db::DbSettings settings;
    QList<provisioning::CustomerEntry> entries; // one per free inner VLAN pair
};

// Each registration takes its own free pair, so every one runs the whole way:
// check, both inserts and the inner VLAN update.
QList<provisioning::CustomerEntry> entriesFor(const db::DbSettings& settings, int count) {
    QList<provisioning::CustomerEntry> entries;
    db::ScreenDb screen(settings);
    screen.open();
    auto row = screen.query(QStringLiteral("select circle, SSA, SITE, SERVICE, OUT_VLAN, IN_VLAN "
                                           "from OLT where ID='NA' limit ?"),
                            {db::number(QString::number(count))});
    for (int i = 0; !row.atEnd(); row.next(), ++i) {
        provisioning::CustomerEntry e;
        e.userName = QStringLiteral("bench.user.%1@ftth.example").arg(i);
        e.name = QStringLiteral("Bench Customer %1").arg(i);
        e.mobile = QStringLiteral("98470%1").arg(i, 5, 10, QLatin1Char('0'));
        e.address = QStringLiteral("%1 Bench Road").arg(i);
        e.mac = QStringLiteral("00:1E:A6:00:%1:%2")
                    .arg(i / 256, 2, 16, QLatin1Char('0'))
                    .arg(i % 256, 2, 16, QLatin1Char('0'));
        e.engineerMobile = QStringLiteral("9847000001");
        e.cluster = QStringLiteral("BENCH");
        e.voiceDomain = QStringLiteral("ims.example/950");
        e.voiceAccount = QStringLiteral("+91/123");
        e.secondAccount = QStringLiteral("ZEL-VUVA-/");
        e.circle = row.field(0);
        e.ssa = row.field(1);
        e.site = row.field(2);
        e.service = row.field(3);
        e.outerVlan = row.field(4);
        e.innerVlan = row.field(5);
        e.engineer = QStringLiteral("Bench Engineer 9847000001");
        e.operatorName = QStringLiteral("bench");
        entries << e;
    }
    screen.close();
    if (entries.size() < count)
        throw db::Error(
            QStringLiteral("%1 has only %2 free inner VLAN pairs; %3 needed")
                .arg(settings.sqlitePath.isEmpty() ? settings.primaryServer : settings.sqlitePath)
                .arg(entries.size())
                .arg(count));
    return entries;
}

// A database file, or an INI file (name ending in ".ini") whose [database]
// section names a server.
db::DbSettings settingsFor(const QString& path) {
    if (path.endsWith(QStringLiteral(".ini")))
        return db::DbSettings::fromConfig(core::Config::load(path));
    db::DbSettings settings;
    settings.sqlitePath = path;
    settings.secondarySqlitePath = path;
    return settings;
}

double registerOne(Target& target, int i, const core::Clock& clock) {
    db::ScreenDb screen(target.settings);
    QElapsedTimer timer;
    timer.start();
    const auto result = provisioning::registerCustomer(screen, target.entries.at(i), clock);
    const double ms = timer.nsecsElapsed() / 1e6;
    if (result.outcome != provisioning::RegistrationResult::Outcome::Registered ||
        result.innerVlan != provisioning::RegistrationResult::InnerVlan::Assigned)
        throw db::Error(
            QStringLiteral("registration %1 in %2 did not go through").arg(i).arg(target.path));
    return ms;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: register_customer SMALL_DB|SMALL.ini LARGE_DB|LARGE.ini [RUNS]\n");
        return 2;
    }
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 21;
    const int warmUp = 3;
    try {
        QList<Target> targets(2);
        for (int t = 0; t < 2; ++t) {
            targets[t].path = QString::fromLocal8Bit(argv[1 + t]);
            targets[t].settings = settingsFor(targets[t].path);
            targets[t].entries = entriesFor(targets[t].settings, warmUp + runs);
        }
        const core::SystemClock clock;
        const auto [small, large] = bench::alternatingMedians(
            warmUp, runs, [&](int t, int i) { return registerOne(targets[t], i, clock); });
        std::printf("median registration: small %.3f ms   large %.3f ms   (%d runs each)\n", small,
                    large, runs);
        std::printf("ratio %.2f (target <= 1.5)\n", large / small);
        return large / small <= 1.5 ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "register_customer: %s\n", e.what());
        return 1;
    }
}
