#include "db/dialect.h"
#include "db/error.h"
#include "db/grid_model.h"
#include "db/screen_db.h"
#include "support/test_db.h"

#include <QTest>

using db::ScreenDb;

class TestScreenDb : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_db = std::make_unique<support::TestDb>();
        m_db->exec(QStringLiteral("insert into CRM (NAME, CRM_ID, STATUS, PASSWORD, crm_ip, MAC) "
                                  "values ('Asha Verma ', '9876500001', 'INACTIVE', 'asha@123', "
                                  "'', 'NA')"));
    }

    void readsFieldsByPositionAndByNameInAnyCase() {
        ScreenDb s(m_db->settings());
        s.open();
        auto row = s.query(QStringLiteral("select * from crm where crm_id=?"),
                           {db::text(QStringLiteral("9876500001"))});
        QVERIFY(!row.atEnd());
        QCOMPARE(row.field(0), QStringLiteral("Asha Verma "));
        QCOMPARE(row.trimmed(0), QStringLiteral("Asha Verma"));
        QCOMPARE(db::trimBlanks(QStringLiteral("  a\r\nb\r\n ")), QStringLiteral("a\r\nb\r\n"));
        QCOMPARE(db::trimBlanks(QStringLiteral("\tx ")), QStringLiteral("\tx"));
        QCOMPARE(row.field(5), QStringLiteral("NA"));
        QCOMPARE(row.field(QStringLiteral("password")), QStringLiteral("asha@123"));
        QCOMPARE(row.field(QStringLiteral("PassWord")), QStringLiteral("asha@123"));
        row.next();
        QVERIFY(row.atEnd());
        QVERIFY_THROWS_EXCEPTION(db::Error, row.field(0));
        s.close();
    }

    // SQL Server without MARS refuses a statement while a result set is open
    // on the connection; the layer finishes the open cursor first, and a
    // screen that still reads it learns so at once instead of in production.
    void aStatementFinishesTheOpenCursor() {
        ScreenDb s(m_db->settings());
        s.open();
        const QString select = QStringLiteral("select * from crm where crm_id=?");
        const db::Params asha{db::text(QStringLiteral("9876500001"))};
        auto read = s.query(select, asha);
        QCOMPARE(read.trimmed(0), QStringLiteral("Asha Verma"));
        QCOMPARE(s.execute(QStringLiteral("update crm set status='ACTIVE' where crm_id=?"), asha),
                 1);
        QVERIFY_THROWS_EXCEPTION(db::Error, read.field(0));
        QVERIFY_THROWS_EXCEPTION(db::Error, read.next());

        auto grid = s.query(select, asha);
        db::GridModel model;
        s.bindGrid(model, QStringLiteral("select crm_id from crm"));
        QVERIFY_THROWS_EXCEPTION(db::Error, grid.field(0));

        // A cursor read to its end before the next statement is untouched.
        auto done = s.query(select, asha);
        done.next();
        QVERIFY(done.atEnd());
        QCOMPARE(s.query(select, asha).trimmed(0), QStringLiteral("Asha Verma"));
        s.close();
        QCOMPARE(m_db->scalar(QStringLiteral("select status from crm where crm_id='9876500001'")),
                 QStringLiteral("ACTIVE"));
    }

    void identifiersAndTextComparisonsIgnoreCase() {
        ScreenDb s(m_db->settings());
        s.open();
        QVERIFY(
            !s.query(QStringLiteral("SELECT * FROM CRM WHERE CRM_ID=? AND PASSWORD=?"),
                     {db::text(QStringLiteral("9876500001")), db::text(QStringLiteral("ASHA@123"))})
                 .atEnd());
        QCOMPARE(s.execute(QStringLiteral("update crm set status='ACTIVE' WHERE Crm_Id=?"),
                           {db::text(QStringLiteral("9876500001"))}),
                 1);
        s.close();
        QCOMPARE(m_db->scalar(QStringLiteral("select STATUS from CRM")), QStringLiteral("ACTIVE"));
    }

    void valuesAreStoredVerbatim_data() {
        QTest::addColumn<QString>("value");
        QTest::addRow("quote") << QStringLiteral("O'Brien' or '1'='1");
        QTest::addRow("backslash") << QStringLiteral("C:\\temp\\ 100%_");
        QTest::addRow("unicode") << QStringLiteral("नमस्ते — «ZEL» 😀");
        QTest::addRow("blanks at both ends") << QStringLiteral("  padded  ");
        QTest::addRow("empty") << QString();
    }
    void valuesAreStoredVerbatim() {
        QFETCH(QString, value);
        ScreenDb s(m_db->settings());
        s.open();
        s.execute(QStringLiteral("update CRM set NAME=? where CRM_ID=?"),
                  {db::text(value), db::text(QStringLiteral("9876500001"))});
        auto row = s.query(QStringLiteral("select NAME from CRM where NAME=?"), {db::text(value)});
        QVERIFY(!row.atEnd());
        QCOMPARE(row.field(0), value.isNull() ? QStringLiteral("") : value);
        s.close();
    }

    void nullReadsAsEmptyText() {
        m_db->exec(QStringLiteral("update CRM set crm_ip=NULL"));
        ScreenDb s(m_db->settings());
        s.open();
        auto row = s.query(QStringLiteral("select crm_ip from CRM"));
        QCOMPARE(row.field(0), QStringLiteral(""));
        QVERIFY(!row.field(0).isNull());
        s.close();
    }

    void dateTimesCompareInTimeOrder() {
        ScreenDb s(m_db->settings());
        s.open();
        const QStringList issued{QStringLiteral("4-Dec-21 9:5 PM"), QStringLiteral("12/5/2021"),
                                 QStringLiteral("2021-11-30 23:59:59"),
                                 QStringLiteral("10-Jan-22 1:0 AM")};
        for (const QString& when : issued)
            s.execute(QStringLiteral("insert into complain (name, [issue date], [close date], "
                                     "status, pending) values (?, ?, ?, 'NEW', 0)"),
                      {db::text(when), db::dateTime(when),
                       db::dateTime(QStringLiteral("4/4/1990 12:00:00 AM"))});
        auto row = s.query(QStringLiteral("select name, [issue date], [close date] from complain "
                                          "where [issue date] between ? and ? order by [issue "
                                          "date]"),
                           {db::dateTime(QStringLiteral("2021-12-01 00:00:01")),
                            db::dateTime(QStringLiteral("2021-12-31 23:59:59"))});
        QStringList found;
        for (; !row.atEnd(); row.next())
            found << row.field(0) + QLatin1Char('=') + row.field(1);
        QCOMPARE(found, QStringList({QStringLiteral("4-Dec-21 9:5 PM=2021-12-04 21:05:00"),
                                     QStringLiteral("12/5/2021=2021-12-05 00:00:00")}));
        QCOMPARE(s.query(QStringLiteral("select [close date] from complain")).field(0),
                 QStringLiteral("1990-04-04 00:00:00"));
        s.close();
    }

    void badValuesFailBeforeTheStatementIsSent() {
        try {
            db::dateTime(QStringLiteral("yesterday"));
            QFAIL("no conversion error");
        } catch (const db::Error& e) {
            QCOMPARE(e.message(), QStringLiteral("Conversion failed when converting date and/or "
                                                 "time from character string."));
        }
        for (const QString& v : {QStringLiteral("98765x"), QStringLiteral(""), QStringLiteral("-5"),
                                 QStringLiteral(" 12")}) {
            try {
                db::number(v);
                QFAIL(qPrintable(QStringLiteral("accepted as a number: ") + v));
            } catch (const db::Error& e) {
                QCOMPARE(e.message(), v + QStringLiteral(" is not a number"));
            }
        }
        QCOMPARE(db::number(QStringLiteral("9876543210")).bound(false).toLongLong(), 9876543210LL);
    }

    void aBareNumberLandsAsItsDigits() {
        m_db->exec(QStringLiteral("insert into cdata (ID, Mobile) values ('u1', '1')"));
        ScreenDb s(m_db->settings());
        s.open();
        s.execute(QStringLiteral("update cdata set Mobile=? where ID=?"),
                  {db::number(QStringLiteral("9876543210")), db::text(QStringLiteral("u1"))});
        QCOMPARE(s.query(QStringLiteral("select * from cdata where Mobile=?"),
                         {db::text(QStringLiteral("9876543210"))})
                     .field(0),
                 QStringLiteral("u1"));
        s.close();
    }

    void openAndCloseNest() {
        ScreenDb s(m_db->settings());
        s.open();
        s.open(); // a second action during the first one's wait
        s.close();
        QVERIFY(s.isOpen());
        QVERIFY(!s.query(QStringLiteral("select * from CRM")).atEnd());
        s.close();
        QVERIFY(!s.isOpen());
        QVERIFY_THROWS_EXCEPTION(db::Error, s.query(QStringLiteral("select * from CRM")));
        s.close(); // one close too many does no harm
        s.open();  // the next action opens afresh
        QVERIFY(!s.query(QStringLiteral("select * from CRM")).atEnd());
        s.close();
    }

    void aRefusedStatementIsAnErrorWithTheServersMessage() {
        ScreenDb s(m_db->settings());
        s.open();
        try {
            s.execute(QStringLiteral("insert into engineer values (?, ?, ?, ?)"),
                      {db::text(QStringLiteral("a")), db::text(QStringLiteral("b")),
                       db::text(QStringLiteral("c")), db::text(QStringLiteral("d"))});
            QFAIL("statement accepted");
        } catch (const db::Error& e) {
            const QString server = m_db->backend() == db::Backend::Sqlite
                                       ? QStringLiteral("3 columns but 4 values")
                                       : QStringLiteral("more expressions than target columns");
            QVERIFY2(e.message().contains(server), qPrintable(e.message()));
        }
        QVERIFY_THROWS_EXCEPTION(db::Error, s.query(QStringLiteral("select * from nosuch")));
        // The connection is still usable for the rest of the action.
        QVERIFY(!s.query(QStringLiteral("select * from CRM")).atEnd());
        s.close();
    }

    void aMissingDatabaseIsAnErrorNamingIt() {
        auto settings = m_db->settings();
        settings.sqlitePath += QStringLiteral(".missing");
        settings.pgDatabase += QStringLiteral("_missing");
        ScreenDb s(settings);
        try {
            s.open();
            QFAIL("opened");
        } catch (const db::Error& e) {
            const QString named =
                m_db->backend() == db::Backend::Sqlite ? settings.sqlitePath : settings.pgDatabase;
            QVERIFY2(e.message().contains(named), qPrintable(e.message()));
        }
        QVERIFY(!QFile::exists(settings.sqlitePath));
        QVERIFY(!s.isOpen());
    }

    void theSecondaryIsItsOwnDatabase() {
        m_db->execSecondary(QStringLiteral("insert into offline_user (id, LDR, FS) values "
                                           "('u1', '', 'OPEN')"));
        ScreenDb s(m_db->settings());
        s.openSecondary();
        QCOMPARE(s.execute(QStringLiteral("update offline_user set LDR='WIRE DOWN' where id=?"),
                           {db::text(QStringLiteral("u1"))}),
                 1);
        s.close();
        QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from offline_user")),
                 QStringLiteral("0"));
    }

    void aTransactionLeftOpenIsRolledBack() {
        ScreenDb s(m_db->settings());
        s.open();
        s.begin(true);
        s.execute(QStringLiteral("update CRM set STATUS='ACTIVE'"));
        s.close();
        QCOMPARE(m_db->scalar(QStringLiteral("select STATUS from CRM")),
                 QStringLiteral("INACTIVE"));
        s.open();
        s.begin();
        s.execute(QStringLiteral("update CRM set STATUS='ACTIVE'"));
        s.commit();
        s.close();
        QCOMPARE(m_db->scalar(QStringLiteral("select STATUS from CRM")), QStringLiteral("ACTIVE"));
    }

    void yesterdaysOutagesCountCalendarDays() {
        // The statement reads the database's own clock, so the rows are laid
        // out around today.
        const QDate today = QDate::currentDate();
        auto at = [&](int daysAgo, int hour) {
            return QDateTime(today.addDays(-daysAgo), QTime(hour, 0))
                .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        };
        const QVariantList rows[] = {
            {1, at(1, 23), at(0, 1), QStringLiteral("CLOSED")},   // began yesterday late
            {2, at(2, 10), at(1, 0), QStringLiteral("RESOLVED")}, // ended yesterday
            {3, at(3, 9), QVariant(), QStringLiteral("Open")},    // still open, older
            {4, at(0, 0), at(0, 1), QStringLiteral("CLOSED")},    // today only
            {5, at(3, 9), at(2, 9), QStringLiteral("CLOSED")},    // long over
            {6, at(0, 0), QVariant(), QStringLiteral("OPEN")},    // open since today
        };
        for (const auto& r : rows)
            m_db->exec(QStringLiteral("insert into olt_status (fault_id, down_time, up_time, "
                                      "status) values (?, ?, ?, ?)"),
                       r);
        ScreenDb s(m_db->settings());
        s.open();
        QStringList ids;
        for (auto row = s.query(db::yesterdaysOutagesSql(m_db->backend()) +
                                QStringLiteral(" order by fault_id"));
             !row.atEnd(); row.next())
            ids << row.field(QStringLiteral("fault_id"));
        s.close();
        QCOMPARE(ids, QStringList({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
    }

    // On a server an action takes up the session an earlier one left, rather
    // than starting a server process per click; a session the server ended
    // meanwhile is replaced unseen, and nothing of an unfinished action
    // reaches the next.
    void theServerSessionServesTheNextAction() {
        if (m_db->backend() != db::Backend::PostgreSql)
            QSKIP("SQLite has no server session");
        const QString pid = QStringLiteral("select pg_backend_pid()");
        ScreenDb first(m_db->settings());
        first.open();
        const QString used = first.query(pid).field(0);
        first.begin(true);
        first.execute(QStringLiteral("update crm set status='GONE'"));
        first.close();

        ScreenDb next(m_db->settings());
        next.open();
        QCOMPARE(next.query(pid).field(0), used);
        QCOMPARE(next.query(QStringLiteral("select status from crm")).field(0),
                 QStringLiteral("INACTIVE"));
        next.close();

        m_db->exec(QStringLiteral("select pg_terminate_backend(%1, 5000)").arg(used));
        next.open();
        QVERIFY(next.query(pid).field(0) != used);
        next.close();

        // The secondary database is a session of its own.
        next.openSecondary();
        QCOMPARE(next.query(QStringLiteral("select current_database()")).field(0),
                 m_db->settings().pgSecondaryDatabase);
        next.close();
    }

    // The registration's duplicate check runs once per SUBMIT against every
    // subscriber; read row by row it costs a second at a million. Its plan
    // must seek the id index on every backend (PostgreSQL's citext LIKE
    // cannot, hence the lowered-text index there).
    void theDuplicateCheckSeeksAnIndex() {
        m_db->exec(
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                           "WHERE i < 3000) INSERT INTO cdata (ID) SELECT 'user' || i FROM n"));
        m_db->exec(QStringLiteral("ANALYZE"));
        const bool pg = m_db->backend() == db::Backend::PostgreSql;
        // PostgreSQL cannot prepare an EXPLAIN, so the value goes in as text.
        const QString sql = db::duplicateCandidatesSql(m_db->backend())
                                .replace(QLatin1Char('?'), QStringLiteral("'USER12!_%'"));
        const QStringList plan = m_db->rows(
            (pg ? QStringLiteral("EXPLAIN ") : QStringLiteral("EXPLAIN QUERY PLAN ")) + sql);
        const QString joined = plan.join(u'\n');
        QVERIFY2(!joined.contains(pg ? QLatin1String("Seq Scan") : QLatin1String("SCAN cdata")),
                 qPrintable(joined));
        QVERIFY2(joined.contains(pg ? QLatin1String("ix_cdata_id_prefix")
                                    : QLatin1String("ix_cdata_id")),
                 qPrintable(joined));
    }

    // A grid shows every cell as a cursor reads it, whichever way the
    // backend's answer reaches it (straight texts, or through the driver
    // for types whose server text differs).
    void aGridShowsWhatACursorReads_data() {
        QTest::addColumn<QString>("sql");
        QTest::addRow("stored columns")
            << QStringLiteral("select name, [issue date], pending, [close date], status from "
                              "complain where name <> ? order by id");
        QTest::addRow("computed types")
            << QStringLiteral("select name, cast([issue date] as date) as day, pending > 1 as "
                              "late, pending * 1.5 as half, count(*) over () as n from complain "
                              "where name <> ? order by id");
    }
    void aGridShowsWhatACursorReads() {
        QFETCH(QString, sql);
        m_db->exec(QStringLiteral(
            "insert into complain (name, [issue date], [close date], status, pending) values "
            "('O''Neil \xc3\xa9', '2021-12-04 21:05:00', NULL, 'NEW', 3), "
            "('?', '2021-12-05 00:00:00', '2021-12-06 10:00:00', NULL, 0)"));
        ScreenDb s(m_db->settings());
        s.open();
        const db::Params params{db::text(QStringLiteral("nobody"))};
        QStringList read;
        for (auto row = s.query(sql, params); !row.atEnd(); row.next())
            for (int c = 0; c < 5; ++c)
                read << row.field(c);
        db::GridModel grid;
        s.bindGrid(grid, sql, params);
        s.close();
        QStringList shown;
        for (int r = 0; r < grid.rowCount(); ++r)
            for (int c = 0; c < 5; ++c)
                shown << grid.cell(r, c);
        QCOMPARE(shown, read);
        QCOMPARE(grid.columns().first(), QStringLiteral("name"));
        if (qstrcmp(QTest::currentDataTag(), "stored columns") == 0) {
            QCOMPARE(read.at(1), QStringLiteral("2021-12-04 21:05:00"));
            QCOMPARE(grid.columns().at(1), QStringLiteral("issue date"));
        }
    }

    // A failure part-way through an answer is the failure it is: neither the
    // cursor nor a grid may take it for the end and come out short.
    void aFailurePartWayThroughAnAnswerIsNoEnd() {
        m_db->exec(QStringLiteral("insert into engineer values ('A', '1', 'N'), ('B', '2', 'N'), "
                                  "('C', '3', 'N'), ('D', '4', 'N')"));
        // The third row cannot be computed: SQLite fails at that row, a
        // server may fail before the first.
        const QString sql =
            m_db->backend() == db::Backend::Sqlite
                ? QStringLiteral("select case when Engineer='C' then json('not json') else "
                                 "Engineer end from engineer order by Engineer")
                : QStringLiteral("select case when Engineer='C' then cast(1/0 as varchar) else "
                                 "Engineer end from engineer order by Engineer");
        ScreenDb s(m_db->settings());
        s.open();
        QStringList read;
        QVERIFY_THROWS_EXCEPTION(db::Error, [&] {
            for (auto row = s.query(sql); !row.atEnd(); row.next())
                read << row.field(0);
        }());
        QVERIFY(read.size() < 3);
        db::GridModel grid;
        QVERIFY_THROWS_EXCEPTION(db::Error, s.bindGrid(grid, sql));
        s.close();
    }

    void placeholdersGluedToAWordStillBind_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("sent");
        QTest::addRow("before WHERE")
            << QStringLiteral("UPDATE CRM SET PASSWORD=?WHERE CRM_ID=? ")
            << QStringLiteral("UPDATE CRM SET PASSWORD=? WHERE CRM_ID=? ");
        QTest::addRow("before AND")
            << QStringLiteral("a=?AND b=?and c=?") << QStringLiteral("a=? AND b=? and c=?");
        QTest::addRow("inside a literal")
            << QStringLiteral("a='?x' and b=?)") << QStringLiteral("a='?x' and b=?)");
        QTest::addRow("before a bracket") << QStringLiteral("a=?[b]") << QStringLiteral("a=?[b]");
    }
    void placeholdersGluedToAWordStillBind() {
        QFETCH(QString, sql);
        QFETCH(QString, sent);
        QCOMPARE(db::separatePlaceholders(sql), sent);
    }

    void aGluedStatementRuns() {
        ScreenDb s(m_db->settings());
        s.open();
        QCOMPARE(
            s.execute(QStringLiteral("UPDATE CRM SET PASSWORD=?WHERE CRM_ID=? "),
                      {db::text(QStringLiteral("new")), db::text(QStringLiteral("9876500001"))}),
            1);
        s.close();
        QCOMPARE(m_db->scalar(QStringLiteral("select PASSWORD from CRM")), QStringLiteral("new"));
    }

private:
    std::unique_ptr<support::TestDb> m_db;
};

QTEST_GUILESS_MAIN(TestScreenDb)
#include "tst_screen_db.moc"
