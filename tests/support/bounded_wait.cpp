#include "support/bounded_wait.h"

#include "support/event_loop_ticks.h"

#include <QElapsedTimer>
#include <QTest>

namespace support {

namespace {

qint64 longestMs = 0;
QString longestCase;

} // namespace

TimedRun timedRun(const std::function<void()>& action) {
    const EventLoopTicks ticks;
    QElapsedTimer clock;
    clock.start();
    action();
    return {clock.elapsed(), ticks.count()};
}

void checkBounded(const TimedRun& run, int waitLimitSeconds) {
    if (run.elapsedMs > longestMs) {
        longestMs = run.elapsedMs;
        longestCase = QString::fromLatin1(QTest::currentTestFunction()) + QLatin1Char('/') +
                      QString::fromLatin1(QTest::currentDataTag());
    }
    QVERIFY2(run.elapsedMs <= (waitLimitSeconds + 1) * 1000,
             qPrintable(QStringLiteral("took %1 ms").arg(run.elapsedMs)));
    QVERIFY2(run.elapsedMs < 300 || run.ticks >= 2,
             qPrintable(QStringLiteral("%1 ticks in %2 ms").arg(run.ticks).arg(run.elapsedMs)));
}

QString longestBoundedRun() {
    return QStringLiteral("%1 ms (%2)").arg(longestMs).arg(longestCase);
}

} // namespace support
