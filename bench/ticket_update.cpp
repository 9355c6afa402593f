// Runs the database work of a fault ticket update (the ticket lookup, the
// operator at this workstation, the history and down time write, the SSA and
// circle contacts) against two databases, a small and a large one, and
// reports the median time of one update in each and their ratio.
// bench/fault_desk.sh seeds the databases and runs it.
#include "core/text_formats.h"
#include "db/db_settings.h"
#include "db/error.h"
#include "db/screen_db.h"
#include "faults/fault_tickets.h"
#include "median.h"

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
    qint64 tickets = 0;
};

qint64 ticketCount(const db::DbSettings& settings) {
    db::ScreenDb screen(settings);
    screen.open();
    const qint64 n =
        screen.query(QStringLiteral("select max([fault id]) from BTS_FAULT")).field(0).toLongLong();
    screen.close();
    if (n < 1)
        throw db::Error(QStringLiteral("%1 holds no fault ticket").arg(settings.sqlitePath));
    return n;
}

// Update i goes to a ticket spread over the whole table, never the same one
// twice in a run.
double updateOne(Target& target, int i) {
    const QString ft = QString::number(1 + (qint64(i) * 7919) % target.tickets);
    const QDateTime now = QDateTime::currentDateTime();
    db::ScreenDb screen(target.settings);
    QElapsedTimer timer;
    timer.start();
    screen.open();
    const auto ticket = faults::findTicket(screen, ft);
    if (!ticket)
        throw db::Error(QStringLiteral("no ticket %1 in %2").arg(ft, target.path));
    const auto issued = core::formats::parseDateTime(ticket->issueTime);
    const qint64 downTime = issued ? core::formats::hourBoundaries(*issued, now) : 0;
    const QString user = faults::operatorAt(screen, QStringLiteral("02:AB:CD:00:00:01"));
    const QString history = faults::withUpdateEntry(ticket->history, core::formats::usDateTime(now),
                                                    user, QStringLiteral("bench update"));
    if (faults::recordUpdate(screen, ft, ticket->storedHistory, history, downTime) !=
        faults::HistoryWrite::Written)
        throw db::Error(QStringLiteral("ticket %1 in %2 was not updated").arg(ft, target.path));
    const faults::FaultContacts contacts =
        faults::readContacts(screen, ticket->ssa, ticket->circle);
    screen.close();
    const double ms = timer.nsecsElapsed() / 1e6;
    if (contacts.feMobile.isEmpty())
        throw db::Error(QStringLiteral("no contacts for %1 in %2").arg(ticket->ssa, target.path));
    return ms;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: ticket_update SMALL_DB LARGE_DB [RUNS]\n");
        return 2;
    }
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 51;
    const int warmUp = 5;
    try {
        QList<Target> targets(2);
        for (int t = 0; t < 2; ++t) {
            targets[t].path = QString::fromLocal8Bit(argv[1 + t]);
            targets[t].settings.sqlitePath = targets[t].path;
            targets[t].settings.secondarySqlitePath = targets[t].path;
            targets[t].tickets = ticketCount(targets[t].settings);
        }
        const auto [small, large] = bench::alternatingMedians(
            warmUp, runs, [&](int t, int i) { return updateOne(targets[t], i); });
        std::printf("median ticket update: %lld tickets %.3f ms   %lld tickets %.3f ms   (%d runs "
                    "each)\n",
                    static_cast<long long>(targets[0].tickets), small,
                    static_cast<long long>(targets[1].tickets), large, runs);
        std::printf("update ratio %.2f (target <= 1.5)\n", large / small);
        return large / small <= 1.5 ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ticket_update: %s\n", e.what());
        return 1;
    }
}
