// Two workstations allocating from the same pools at once, each a separate
// process with its own connection to one database: no entry is handed out
// twice, every attempt ends told either way, and what the workstations were
// told is exactly what the database holds.
#include "workers.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// A server's round trips make each attempt slower than on a local file.
const int attemptsEach = support::TestDb::onPostgreSql() ? 300 : 1000;
// Fewer entries than attempts: the last attempts find the pool empty, the
// earlier ones race each other for the same first free entry.
const int poolRows = attemptsEach;

QSet<QString> asSet(const QStringList& list) {
    return QSet<QString>(list.begin(), list.end());
}

} // namespace

class TstConcurrentPools : public QObject {
    Q_OBJECT
private slots:
    void twoWorkstationsNeverShareAnEntry_data();
    void twoWorkstationsNeverShareAnEntry();
    void oneNumberGetsOneAddress();
};

void TstConcurrentPools::twoWorkstationsNeverShareAnEntry_data() {
    QTest::addColumn<QString>("pool");
    // The owners of the pool's entries, and for registrations the rows that
    // must come and go with them.
    QTest::addColumn<QString>("owners");
    QTest::addColumn<QString>("free");
    QTest::addColumn<QStringList>("companions");
    QTest::addRow("inner VLAN by registration")
        << QStringLiteral("vlan") << QStringLiteral("select ID from OLT where ID<>'NA'")
        << QStringLiteral("select count(*) from OLT where ID='NA'")
        << QStringList{QStringLiteral("select ID from cdata"),
                       QStringLiteral("select [user id] from complain")};
    QTest::addRow("voice IP screen")
        << QStringLiteral("voip") << QStringLiteral("select ID from VOIP where ID<>'NA'")
        << QStringLiteral("select count(*) from VOIP where ID='NA'") << QStringList{};
    QTest::addRow("equipment details screen")
        << QStringLiteral("equipment")
        << QStringLiteral("select SITE_NAME from bts where SITE_NAME<>'NA'")
        << QStringLiteral("select count(*) from bts where SITE_NAME='NA'") << QStringList{};
}

void TstConcurrentPools::twoWorkstationsNeverShareAnEntry() {
    QFETCH(QString, pool);
    QFETCH(QString, owners);
    QFETCH(QString, free);
    QFETCH(QStringList, companions);
    support::TestDb db;
    const QTemporaryDir folder;
    const QString ini = workers::iniFor(db, QDir(folder.path()));
    QCOMPARE(QProcess::execute(QStringLiteral(POOL_DRIVER),
                               {QStringLiteral("seed"), ini, QString::number(poolRows)}),
             0);

    std::vector<std::unique_ptr<QProcess>> processes;
    workers::start(processes, pool, ini, {QStringLiteral("a"), QStringLiteral("b")}, attemptsEach);
    const workers::Told a = workers::collect(*processes[0]);
    const workers::Told b = workers::collect(*processes[1]);

    QCOMPARE(a.failures, QStringList{});
    QCOMPARE(b.failures, QStringList{});
    for (const workers::Told& told : {a, b}) {
        QCOMPARE(told.allocated.size() + told.refused.size(), attemptsEach);
        QVERIFY2(!told.allocated.intersects(told.refused), qPrintable(told.summary));
    }
    // A double shows as a workstation told "yours" for an entry the other
    // one holds: its key is then missing from the database.
    const QStringList held = db.rows(owners);
    QCOMPARE(asSet(held).size(), held.size());
    QCOMPARE(asSet(held), a.allocated + b.allocated);
    QCOMPARE(db.scalar(free).toInt(), poolRows - int(held.size()));
    // The pool ran dry while both workstations worked (they start together).
    // Which one wins is the server's affair: with a kept session one desk
    // may take every entry while the other is told each time it lost.
    QCOMPARE(int(held.size()), poolRows);
    QVERIFY(!(a.allocated + b.allocated).isEmpty());
    QVERIFY2(!(a.refused + b.refused).isEmpty(), qPrintable(a.summary + b.summary));
    for (const QString& companion : companions)
        QCOMPARE(asSet(db.rows(companion)), a.allocated + b.allocated);
}

// Both workstations give addresses to the same numbers at once: each number
// ends with one address, given by the desk that was told so; the other desk
// is told the number already holds one (or lost the address itself).
void TstConcurrentPools::oneNumberGetsOneAddress() {
    support::TestDb db;
    const QTemporaryDir folder;
    const QString ini = workers::iniFor(db, QDir(folder.path()));
    const int numbers = attemptsEach / 2;
    QCOMPARE(QProcess::execute(QStringLiteral(POOL_DRIVER),
                               {QStringLiteral("seed"), ini, QString::number(poolRows)}),
             0);
    std::vector<std::unique_ptr<QProcess>> processes;
    workers::start(processes, QStringLiteral("voip-shared"), ini,
                   {QStringLiteral("a"), QStringLiteral("b")}, numbers);
    const workers::Told a = workers::collect(*processes[0]);
    const workers::Told b = workers::collect(*processes[1]);
    QCOMPARE(a.failures + b.failures, QStringList{});
    QVERIFY2(!a.allocated.intersects(b.allocated), qPrintable(a.summary + b.summary));
    const QStringList held = db.rows(QStringLiteral("select ID from VOIP where ID<>'NA'"));
    QCOMPARE(asSet(held).size(), held.size());
    QCOMPARE(asSet(held), a.allocated + b.allocated);
    QCOMPARE(int(a.allocated.size() + a.refused.size()), numbers);
    QCOMPARE(int(b.allocated.size() + b.refused.size()), numbers);
    QVERIFY(!held.isEmpty());
}

QTEST_GUILESS_MAIN(TstConcurrentPools)
#include "tst_concurrent_pools.moc"
