#include "support/bounded_wait.h"

#include "integrations/web_browser.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

namespace support {

namespace {

qint64 longestMs = 0;
QString longestCase;

} // namespace

qint64 TimedRun::longestStillMs() const {
    qint64 longest = 0;
    qint64 last = 0;
    for (qint64 turn : turnsMs) {
        longest = qMax(longest, turn - last);
        last = turn;
    }
    return qMax(longest, elapsedMs - last);
}

TimedRun timedRun(const std::function<void()>& action) {
    TimedRun run;
    QElapsedTimer clock;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, &heartbeat,
                     [&] { run.turnsMs.append(clock.elapsed()); });
    heartbeat.start(50);
    clock.start();
    action();
    run.elapsedMs = clock.elapsed();
    return run;
}

void checkBounded(const TimedRun& run, int waitLimitSeconds) {
    if (run.elapsedMs > longestMs) {
        longestMs = run.elapsedMs;
        longestCase = QString::fromLatin1(QTest::currentTestFunction()) + QLatin1Char('/') +
                      QString::fromLatin1(QTest::currentDataTag());
    }
    QVERIFY2(run.elapsedMs <= (waitLimitSeconds + 1) * 1000,
             qPrintable(QStringLiteral("took %1 ms").arg(run.elapsedMs)));
    QVERIFY2(run.longestStillMs() < stallMs,
             qPrintable(QStringLiteral("the UI stood still for %1 ms (%2 turns in %3 ms)")
                            .arg(run.longestStillMs())
                            .arg(run.ticks())
                            .arg(run.elapsedMs)));
}

void startWebEngine() {
    integrations::WebBrowser browser;
    browser.setWaitLimitSeconds(60);
    QVERIFY(browser.navigateAndWait(QUrl(QStringLiteral("data:text/html,<p>ready</p>"))));
}

QString longestBoundedRun() {
    return QStringLiteral("%1 ms (%2)").arg(longestMs).arg(longestCase);
}

} // namespace support
