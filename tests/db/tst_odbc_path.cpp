// The database layer as production runs it on SQL Server: QODBC, the
// connection string handed to an ODBC driver, parameters bound natively,
// the driver's rows-affected answer, driver transactions and native
// date-times. SQLite's ODBC driver stands in for the server, on a database
// made from the real schema.
#include "db/dialect.h"
#include "db/error.h"
#include "db/grid_model.h"
#include "db/screen_db.h"
#include "support/test_db.h"

#include <QDir>
#include <QTest>

using db::ScreenDb;

namespace {

// Debian's libsqliteodbc; loaded by path, so no odbcinst.ini entry is needed.
QString sqliteOdbcDriver() {
    for (const QString& dir : QDir(QStringLiteral("/usr/lib")).entryList(QDir::Dirs)) {
        const QString path = QStringLiteral("/usr/lib/%1/odbc/libsqlite3odbc.so").arg(dir);
        if (QFile::exists(path))
            return path;
    }
    return {};
}

const db::Params asha{db::text(QStringLiteral("9876500001"))};

} // namespace

class TestOdbcPath : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY2(!sqliteOdbcDriver().isEmpty(),
                 "SQLite's ODBC driver is missing: scripts/setup installs libsqliteodbc");
    }

    void init() {
        m_db = std::make_unique<support::TestDb>();
        m_db->exec(
            QStringLiteral("insert into CRM (NAME, CRM_ID, STATUS, PASSWORD, crm_ip, MAC) "
                           "values ('Asha Verma ', '9876500001', 'INACTIVE', 'a', '', 'NA')"));
        m_db->exec(QStringLiteral("insert into CRM (NAME, CRM_ID, STATUS, PASSWORD, crm_ip, MAC) "
                                  "values ('Ravi', '9876500002', 'INACTIVE', 'b', '', 'NA')"));
    }

    void readsThroughTheDriverWithBoundValues() {
        ScreenDb s(settings());
        s.open();
        auto row = s.query(QStringLiteral("select * from crm where crm_id=?AND status=?"),
                           {asha.first(), db::text(QStringLiteral("INACTIVE"))});
        QVERIFY(!row.atEnd());
        QCOMPARE(row.trimmed(QStringLiteral("name")), QStringLiteral("Asha Verma"));
        QCOMPARE(row.field(5), QStringLiteral("NA"));
        row.next();
        QVERIFY(row.atEnd());

        db::GridModel grid;
        s.bindGrid(grid, QStringLiteral("select crm_id, name from crm order by crm_id"));
        QCOMPARE(grid.rowCount(), 2);
        QCOMPARE(grid.data(grid.index(1, 1)).toString(), QStringLiteral("Ravi"));
        s.close();
    }

    void valuesAreStoredVerbatim_data() {
        QTest::addColumn<QString>("value");
        QTest::addRow("quotes") << QStringLiteral("O'Brien' or '1'='1'; DROP TABLE cdata; --");
        QTest::addRow("backslash, wildcards") << QStringLiteral("C:\\temp\\ 100%_[x]");
        QTest::addRow("non-Latin and emoji") << QStringLiteral("नमस्ते — «ZEL» 😀");
        QTest::addRow("blanks and line ends") << QStringLiteral("  a\r\nb  ");
        QTest::addRow("long") << QString(5000, QLatin1Char('x'));
        QTest::addRow("empty") << QString();
    }
    void valuesAreStoredVerbatim() {
        QFETCH(QString, value);
        ScreenDb s(settings());
        s.open();
        QCOMPARE(s.execute(QStringLiteral("update CRM set NAME=? where CRM_ID=?"),
                           {db::text(value), asha.first()}),
                 1);
        auto row =
            s.query(QStringLiteral("select CRM_ID, NAME from CRM where NAME=?"), {db::text(value)});
        QVERIFY(!row.atEnd());
        QCOMPARE(row.field(0), QStringLiteral("9876500001"));
        QCOMPARE(row.field(1), value.isNull() ? QStringLiteral("") : value);
        s.close();
        QCOMPARE(m_db->scalar(QStringLiteral("select NAME from CRM where CRM_ID='9876500002'")),
                 QStringLiteral("Ravi"));
    }

    // Screens tell "not found" from "updated" by this count; a driver that
    // answers -1 must not turn into either by accident.
    void rowsAffectedAreTheRowsChanged_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("rows");
        QTest::addRow("one matches")
            << QStringLiteral("update CRM set STATUS='ACTIVE' where CRM_ID=?")
            << QStringLiteral("9876500001") << 1;
        QTest::addRow("none matches")
            << QStringLiteral("update CRM set STATUS='ACTIVE' where CRM_ID=?")
            << QStringLiteral("1111111111") << 0;
        QTest::addRow("all match")
            << QStringLiteral("update CRM set STATUS=? ") << QStringLiteral("ACTIVE") << 2;
        QTest::addRow("delete") << QStringLiteral("delete from CRM where CRM_ID=?")
                                << QStringLiteral("9876500002") << 1;
        QTest::addRow("insert") << QStringLiteral("insert into engineer values (?, 'x', 'y')")
                                << QStringLiteral("e1") << 1;
    }
    void rowsAffectedAreTheRowsChanged() {
        QFETCH(QString, sql);
        QFETCH(QString, id);
        QFETCH(int, rows);
        ScreenDb s(settings());
        s.open();
        // A statement before it changed other rows: the count is this one's.
        s.execute(QStringLiteral("update CRM set MAC=MAC"));
        QCOMPARE(s.execute(sql, {db::text(id)}), rows);
        s.close();
    }

    void theRowsChangedQuestionFollowsTheDatabase_data() {
        QTest::addColumn<QString>("dbms");
        QTest::addColumn<QString>("sql");
        QTest::addRow("SQL Server")
            << QStringLiteral("Microsoft SQL Server") << QStringLiteral("SELECT @@ROWCOUNT");
        QTest::addRow("SQLite") << QStringLiteral("SQLite") << QStringLiteral("SELECT changes()");
        QTest::addRow("unknown") << QStringLiteral("Oracle") << QString();
        QTest::addRow("driver gave none") << QString() << QString();
    }
    void theRowsChangedQuestionFollowsTheDatabase() {
        QFETCH(QString, dbms);
        QFETCH(QString, sql);
        QCOMPARE(db::rowsChangedSql(dbms), sql);
    }

    void anUnknownCountIsAskedForNeverGuessed_data() {
        QTest::addColumn<int>("reported");
        QTest::addColumn<int>("asked"); // -1: the database cannot be asked
        QTest::addColumn<int>("rows");  // -1: an error
        QTest::addRow("driver counted") << 2 << 7 << 2;
        QTest::addRow("driver counted none") << 0 << 7 << 0;
        QTest::addRow("unknown, database says 1") << -1 << 1 << 1;
        QTest::addRow("unknown, database says 0") << -1 << 0 << 0;
        QTest::addRow("unknown, nobody to ask") << -1 << -1 << -1;
    }
    void anUnknownCountIsAskedForNeverGuessed() {
        QFETCH(int, reported);
        QFETCH(int, asked);
        QFETCH(int, rows);
        bool wasAsked = false;
        const auto ask = [&]() -> std::optional<int> {
            wasAsked = true;
            return asked < 0 ? std::nullopt : std::optional<int>(asked);
        };
        if (rows < 0)
            QVERIFY_THROWS_EXCEPTION(db::Error, db::rowsChanged(reported, ask));
        else
            QCOMPARE(db::rowsChanged(reported, ask), rows);
        QCOMPARE(wasAsked, reported < 0);
    }

    // What the layer asks when the driver's count is unknown, on the
    // connection itself, right after the statement.
    void theDatabaseAnswersTheRowsChangedQuestion() {
        ScreenDb s(settings());
        s.open();
        s.execute(QStringLiteral("update CRM set STATUS='ACTIVE'"));
        QCOMPARE(s.query(db::rowsChangedSql(QStringLiteral("SQLite"))).field(0),
                 QStringLiteral("2"));
        s.close();
    }

    void transactionsCommitOrLeaveNoTrace() {
        ScreenDb s(settings());
        s.open();
        s.begin(true);
        s.execute(QStringLiteral("update CRM set STATUS='ACTIVE' where CRM_ID=?"), asha);
        s.execute(QStringLiteral("insert into engineer values ('e1', 'x', 'y')"));
        s.rollback();
        s.begin(true);
        s.execute(QStringLiteral("update CRM set STATUS='BARRED' where CRM_ID=?"), asha);
        s.close(); // left open: rolled back
        s.open();
        s.begin();
        s.execute(QStringLiteral("update CRM set PASSWORD='c' where CRM_ID=?"), asha);
        s.commit();
        s.close();
        QCOMPARE(m_db->rows(QStringLiteral("select STATUS, PASSWORD from CRM order by CRM_ID")),
                 QStringList({QStringLiteral("INACTIVE|c"), QStringLiteral("INACTIVE|b")}));
        QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from engineer")),
                 QStringLiteral("0"));
    }

    // SQLite's driver stores a bound date-time as text with milliseconds
    // where the server keeps a datetime; the instant is what must survive.
    void dateTimesBindNativelyAndKeepTheirInstant() {
        ScreenDb s(settings());
        s.open();
        const QStringList issued{QStringLiteral("4-Dec-21 9:5 PM"), QStringLiteral("12/5/2021"),
                                 QStringLiteral("2021-11-30 23:59:59"),
                                 QStringLiteral("10-Jan-22 1:0 AM")};
        for (const QString& when : issued)
            s.execute(QStringLiteral("insert into complain (name, [issue date], [close date], "
                                     "status, pending) values (?, ?, ?, 'NEW', 0)"),
                      {db::text(when), db::dateTime(when),
                       db::dateTime(QStringLiteral("4/4/1990 12:00:00 AM"))});
        QStringList found;
        for (auto row = s.query(QStringLiteral("select name, [issue date] from complain where "
                                               "[issue date] between ? and ? order by [issue "
                                               "date]"),
                                {db::dateTime(QStringLiteral("2021-12-01 00:00:01")),
                                 db::dateTime(QStringLiteral("2021-12-31 23:59:59"))});
             !row.atEnd(); row.next())
            found << row.field(0) + QLatin1Char('=') + row.field(1).left(19);
        QCOMPARE(found, QStringList({QStringLiteral("4-Dec-21 9:5 PM=2021-12-04 21:05:00"),
                                     QStringLiteral("12/5/2021=2021-12-05 00:00:00")}));
        QCOMPARE(s.query(QStringLiteral("select [close date] from complain")).field(0).left(19),
                 QStringLiteral("1990-04-04 00:00:00"));
        s.close();
    }

    // A cursor the action still holds must not keep the connection open.
    void closingReleasesTheCursorsStillHeld() {
        QtMessageHandler previous = qInstallMessageHandler(failOnDriverWarning);
        {
            ScreenDb s(settings());
            s.open();
            auto first = s.query(QStringLiteral("select * from CRM"));
            auto read = s.query(QStringLiteral("select NAME from CRM where CRM_ID=?"), asha);
            QCOMPARE(read.field(0), QStringLiteral("Asha Verma "));
            s.close();
            QVERIFY_THROWS_EXCEPTION(db::Error, read.field(0));
            s.open();
            QCOMPARE(
                s.execute(QStringLiteral("update CRM set STATUS='ACTIVE' where CRM_ID=?"), asha),
                1);
            s.close();
        }
        qInstallMessageHandler(previous);
        QCOMPARE(m_driverWarnings, QStringList());
    }

    void failuresCarryTheDriversMessage() {
        ScreenDb s(settings());
        s.open();
        try {
            s.execute(QStringLiteral("insert into nosuch values (?)"), asha);
            QFAIL("statement accepted");
        } catch (const db::Error& e) {
            QVERIFY2(e.message().contains(QStringLiteral("nosuch")), qPrintable(e.message()));
        }
        // The connection goes on serving the action.
        QCOMPARE(s.query(QStringLiteral("select NAME from CRM where CRM_ID=?"), asha).field(0),
                 QStringLiteral("Asha Verma "));
        s.close();

        auto missing = settings();
        missing.odbcConnection.replace(QStringLiteral("libsqlite3odbc"),
                                       QStringLiteral("libnosuchodbc"));
        ScreenDb bad(missing);
        QVERIFY_THROWS_EXCEPTION(db::Error, bad.open());
        QVERIFY(!bad.isOpen());
    }

private:
    static void failOnDriverWarning(QtMsgType, const QMessageLogContext&, const QString& text) {
        m_driverWarnings << text;
    }
    static inline QStringList m_driverWarnings;
    db::DbSettings settings() const {
        db::DbSettings s;
        s.backend = db::Backend::SqlServer;
        s.primaryServer = QStringLiteral("local");
        s.odbcConnection = QStringLiteral("Driver=%1;Database=%2;Timeout=5000")
                               .arg(sqliteOdbcDriver(), m_db->path());
        return s;
    }
    std::unique_ptr<support::TestDb> m_db;
};

QTEST_GUILESS_MAIN(TestOdbcPath)
#include "tst_odbc_path.moc"
