// The liveness verdict of the hostile-service tests: a loaded machine spaces
// the heartbeat's turns out, an action that holds the UI stops them.
#include "support/bounded_wait.h"

#include <QTest>

class TstBoundedWait : public QObject {
    Q_OBJECT
private slots:
    void aStallIsToldFromABusyMachine_data() {
        QTest::addColumn<QList<qint64>>("turnsMs");
        QTest::addColumn<qint64>("elapsedMs");
        QTest::addColumn<qint64>("stillMs");
        QTest::addColumn<bool>("stalled");
        QTest::addRow("idle machine, 1 s")
            << QList<qint64>{50,  100, 150, 200, 250, 300, 350, 400, 450, 500,
                             550, 600, 650, 700, 750, 800, 850, 900, 950, 1000}
            << qint64(1010) << qint64(50) << false;
        QTest::addRow("loaded machine, a turn every 300 ms")
            << QList<qint64>{300, 600, 900} << qint64(1100) << qint64(300) << false;
        QTest::addRow("loaded machine, 1 turn in 374 ms")
            << QList<qint64>{180} << qint64(374) << qint64(194) << false;
        QTest::addRow("short action, no turn")
            << QList<qint64>{} << qint64(120) << qint64(120) << false;
        QTest::addRow("blocked for the wait limit, 1 turn in 959 ms")
            << QList<qint64>{52} << qint64(959) << qint64(907) << true;
        QTest::addRow("live, then held to the end")
            << QList<qint64>{50, 100, 150, 200} << qint64(900) << qint64(700) << true;
        QTest::addRow("held from the start")
            << QList<qint64>{600, 650} << qint64(700) << qint64(600) << true;
    }

    void aStallIsToldFromABusyMachine() {
        QFETCH(QList<qint64>, turnsMs);
        QFETCH(qint64, elapsedMs);
        QFETCH(qint64, stillMs);
        QFETCH(bool, stalled);
        support::TimedRun run;
        run.turnsMs = turnsMs;
        run.elapsedMs = elapsedMs;
        QCOMPARE(run.longestStillMs(), stillMs);
        QCOMPARE(run.longestStillMs() >= support::stallMs, stalled);
    }
};

QTEST_MAIN(TstBoundedWait)
#include "tst_bounded_wait.moc"
