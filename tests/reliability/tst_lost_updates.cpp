// Workstations writing to one ticket and one complaint at once, each a
// separate process with its own connection: every entry an operator was told
// is stored is there exactly once, none is lost to another desk's rewrite of
// the history, and every number told for a new ticket or complaint is that
// row's own.
#include "workers.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int entriesEach = 30;
constexpr int rowsEach = 100;
const QStringList desks{QStringLiteral("a"), QStringLiteral("b")};

// The entry texts of a stored history, in order.
QStringList entriesOf(const QString& history, const QRegularExpression& entry) {
    QStringList found;
    for (auto it = entry.globalMatch(history); it.hasNext();)
        found << it.next().captured(1);
    return found;
}

} // namespace

class TstLostUpdates : public QObject {
    Q_OBJECT

    std::unique_ptr<support::TestDb> m_db;
    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_ini;

    QList<workers::Told> race(const QString& mode, int attempts) {
        std::vector<std::unique_ptr<QProcess>> processes;
        workers::start(processes, mode, m_ini, desks, attempts);
        QList<workers::Told> told;
        for (auto& process : processes)
            told << workers::collect(*process);
        return told;
    }

    // Every entry told stored is stored once, in the order each desk sent
    // them, and nothing else was added.
    static void checkHistory(const QList<workers::Told>& told, const QStringList& stored) {
        QSet<QString> toldStored;
        for (const workers::Told& desk : told) {
            QCOMPARE(desk.failures, QStringList{});
            QCOMPARE(int(desk.allocated.size()), entriesEach);
            toldStored += desk.allocated;
            qInfo("%s", qPrintable(desk.summary));
        }
        QCOMPARE(int(stored.size()), int(toldStored.size()));
        QCOMPARE(QSet<QString>(stored.begin(), stored.end()), toldStored);
        for (const QString& desk : desks) {
            QStringList own;
            for (const QString& entry : stored)
                if (entry.startsWith(desk + QLatin1Char('-')))
                    own << entry.section(QLatin1Char('-'), 1);
            for (int i = 0; i < own.size(); ++i)
                QCOMPARE(own.at(i), QString::number(i));
        }
    }

private slots:
    void init() {
        m_db = std::make_unique<support::TestDb>();
        m_folder = std::make_unique<QTemporaryDir>();
        m_ini = workers::iniFor(*m_db, QDir(m_folder->path()));
    }
    void cleanup() {
        m_db.reset();
        m_folder.reset();
    }

    // Both desks add entries to one history at once, each looking it up
    // again whenever the other wrote first.
    void twoDesksUpdatingOneHistory_data() {
        QTest::addColumn<QString>("row");     // the ticket or complaint, as first stored
        QTest::addColumn<QString>("mode");    // the workstations' screen
        QTest::addColumn<QString>("history"); // reads the stored history back
        QTest::addColumn<QString>("opening"); // the history's start
        QTest::addColumn<QString>("entry");   // one entry's text, captured
        QTest::addRow("ticket")
            << QStringLiteral("INSERT INTO BTS_FAULT ([fault id], CIRCLE, SSA, [SITE NAME], FAULT, "
                              "[ISSUE DATE], [CLOSE DATE], [DOWN TIME], STATUS, ID, [USER]) VALUES "
                              "(1, 'KERALA', 'TVM', 'POOL SITE', 'opened', '1-Dec-21 9:0 AM', "
                              "'4/4/1970', '0', 'OPEN', 'T1', '1')")
            << QStringLiteral("ticket")
            << QStringLiteral("select fault from bts_fault where [fault id]=1")
            << QStringLiteral("opened\r\n")
            << QStringLiteral("\r\nUPDATE: ([ab]-[0-9]+)(?=\r\n|$)");
        QTest::addRow("complaint")
            << QStringLiteral("INSERT INTO complain (id, name, [issue date], description, status, "
                              "[close date], [user id], pending, cat) VALUES (1, 'Ravi', "
                              "'2021-12-04 09:00:00', 'NO SIGNAL', 'NEW', '1990-04-04 00:00:00', "
                              "'kl1', '0', 'OTHER')")
            << QStringLiteral("complaint")
            << QStringLiteral("select description from complain where id=1")
            << QStringLiteral("NO SIGNAL@") << QStringLiteral("@Update: ([ab]-[0-9]+)(?=@|$)");
    }
    void twoDesksUpdatingOneHistory() {
        QFETCH(QString, row);
        QFETCH(QString, mode);
        QFETCH(QString, history);
        QFETCH(QString, opening);
        QFETCH(QString, entry);
        m_db->exec(row);
        const auto told = race(mode, entriesEach);
        const QString stored = m_db->scalar(history);
        QVERIFY(stored.startsWith(opening));
        checkHistory(told, entriesOf(stored, QRegularExpression(entry)));
    }

    // Each new ticket's number, as its desk was told it, names the row that
    // desk stored.
    void newTicketNumbersAreTheirOwn() {
        const auto told = race(QStringLiteral("open"), rowsEach);
        QHash<QString, QString> tunnelOf;
        for (const workers::Told& desk : told) {
            QCOMPARE(desk.failures, QStringList{});
            QCOMPARE(int(desk.allocated.size()), rowsEach);
            for (const QString& line : desk.allocated)
                tunnelOf.insert(line.section(QLatin1Char(' '), 1),
                                line.section(QLatin1Char(' '), 0, 0));
        }
        QCOMPARE(int(tunnelOf.size()), rowsEach * int(desks.size()));
        QHash<QString, QString> stored;
        for (const QString& row :
             m_db->rows(QStringLiteral("select [fault id], ID from bts_fault")))
            stored.insert(row.section(QLatin1Char('|'), 0, 0), row.section(QLatin1Char('|'), 1));
        QCOMPARE(stored, tunnelOf);
    }

    // Both desks log a complaint for the same subscribers at once: each
    // subscriber gets one, its desk is told its number, the other desk is
    // shown that complaint as the open one.
    void oneOpenComplaintPerSubscriber() {
        const auto told = race(QStringLiteral("log"), rowsEach);
        QHash<QString, QString> numberOf;
        QSet<QString> logged, shownOpen;
        for (const workers::Told& desk : told) {
            QCOMPARE(desk.failures, QStringList{});
            QCOMPARE(int(desk.allocated.size() + desk.refused.size()), rowsEach);
            for (const QString& line : desk.allocated)
                numberOf.insert(line.section(QLatin1Char(' '), 0, 0),
                                line.section(QLatin1Char(' '), 1));
            logged += desk.allocated;
            shownOpen += desk.refused;
        }
        QCOMPARE(int(numberOf.size()), rowsEach);
        QCOMPARE(shownOpen, logged);
        QHash<QString, QString> stored;
        for (const QString& row : m_db->rows(QStringLiteral("select [user id], id from complain")))
            stored.insert(row.section(QLatin1Char('|'), 0, 0), row.section(QLatin1Char('|'), 1));
        QCOMPARE(int(m_db->rows(QStringLiteral("select id from complain")).size()), rowsEach);
        QCOMPARE(stored, numberOf);
    }
};

QTEST_GUILESS_MAIN(TstLostUpdates)
#include "tst_lost_updates.moc"
