// zelcrm-admin against a PostgreSQL server: the schema, the demo data and the
// synthetic data land as they land in a SQLite file, in one transaction each,
// and the database gives new rows numbers after those it was loaded with.
#include "admin/admin.h"
#include "admin/synthetic.h"
#include "db/error.h"
#include "db/schema.h"
#include "db/screen_db.h"
#include "support/test_db.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

namespace {

// A connection to a database of the run's cluster, made for one statement.
QStringList onCluster(const QString& host, const QString& database, const QString& sql) {
    const QString name = QUuid::createUuid().toString();
    QStringList rows;
    {
        QSqlDatabase conn = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        conn.setHostName(host);
        conn.setDatabaseName(database);
        conn.setUserName(QStringLiteral("postgres"));
        if (!conn.open())
            throw db::Error(conn.lastError().text());
        QSqlQuery q(conn);
        if (!q.exec(sql))
            throw db::Error(q.lastError().text());
        while (q.next())
            rows << q.value(0).toString();
    }
    QSqlDatabase::removeDatabase(name);
    return rows;
}

struct Run {
    int status = 0;
    QString out, err;
};

Run adminRun(const QStringList& args) {
    Run run;
    QTextStream out(&run.out), err(&run.err);
    run.status = admin::run(args, out, err);
    out.flush();
    err.flush();
    return run;
}

// Every table's row count, as "table=n".
QStringList countsOf(const std::function<QString(const QString&)>& scalar) {
    QStringList counts;
    for (const QString& table :
         {QStringLiteral("CRM"), QStringLiteral("cdata"), QStringLiteral("complain"),
          QStringLiteral("BTS_FAULT"), QStringLiteral("olt_status"), QStringLiteral("OLT"),
          QStringLiteral("VOIP"), QStringLiteral("af_site")})
        counts << table + QLatin1Char('=') +
                      scalar(QStringLiteral("select count(*) from ") + table);
    return counts;
}

} // namespace

class TestAdminServer : public QObject {
    Q_OBJECT

    QString m_host;
    QString m_database;
    QString conninfo() const {
        return QStringLiteral("host=%1 dbname=%2 user=postgres").arg(m_host, m_database);
    }
    QString scalar(const QString& sql) const { return onCluster(m_host, m_database, sql).value(0); }

private slots:
    void init() {
        if (!support::TestDb::onPostgreSql())
            QSKIP("runs on the PostgreSQL test cluster");
        const support::TestDb cluster;
        m_host = cluster.configValues().value(QStringLiteral("database/primary_server"));
        m_database = QStringLiteral("za_") + QUuid::createUuid().toString(QUuid::Id128).left(20);
        onCluster(m_host, QStringLiteral("postgres"),
                  QStringLiteral("CREATE DATABASE %1").arg(m_database));
    }
    void cleanup() {
        if (!m_database.isEmpty())
            onCluster(m_host, QStringLiteral("postgres"),
                      QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_database));
        m_database.clear();
    }

    void theDemoLandsAsInAFile() {
        const Run created = adminRun({QStringLiteral("init-db"), QStringLiteral("--postgresql"),
                                      conninfo(), QStringLiteral("--demo")});
        QVERIFY2(created.status == 0, qPrintable(created.err));
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("demo.db"));
        QCOMPARE(adminRun({QStringLiteral("init-db"), file, QStringLiteral("--demo")}).status, 0);
        db::DbSettings sqlite;
        sqlite.sqlitePath = file;
        db::ScreenDb local(sqlite);
        local.open();
        const QStringList expected =
            countsOf([&](const QString& sql) { return local.query(sql).field(0); });
        local.close();
        QCOMPARE(countsOf([&](const QString& sql) { return scalar(sql); }), expected);
        QCOMPARE(scalar(QStringLiteral("select \"crm_id\" from crm where \"name\"='asha verma'")),
                 QStringLiteral("9876500001"));

        // A second run finds the tables there and changes nothing.
        const Run again = adminRun({QStringLiteral("init-db"), QStringLiteral("--postgresql"),
                                    conninfo(), QStringLiteral("--demo")});
        QCOMPARE(again.status, 1);
        QVERIFY2(again.err.contains(QStringLiteral("already exists")), qPrintable(again.err));
        QCOMPARE(countsOf([&](const QString& sql) { return scalar(sql); }), expected);
    }

    // The synthetic rows keep their numbers; the next ticket the database
    // numbers itself comes after them.
    void syntheticRowsAndTheNextNumber() {
        QCOMPARE(adminRun({QStringLiteral("init-db"), QStringLiteral("--postgresql"), conninfo()})
                     .status,
                 0);
        const Run seeded = adminRun(
            {QStringLiteral("seed-synthetic"), QStringLiteral("--postgresql"), conninfo(),
             QStringLiteral("--subscribers"), QStringLiteral("300"), QStringLiteral("--complaints"),
             QStringLiteral("500"), QStringLiteral("--tickets"), QStringLiteral("40"),
             QStringLiteral("--outages"), QStringLiteral("20")});
        QVERIFY2(seeded.status == 0, qPrintable(seeded.err));
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("seed.db"));
        admin::seedSynthetic(file, {300, 500, 1, 40, 20});
        db::DbSettings sqlite;
        sqlite.sqlitePath = file;
        db::ScreenDb local(sqlite);
        local.open();
        const auto localScalar = [&](const QString& sql) { return local.query(sql).field(0); };
        QCOMPARE(countsOf([&](const QString& sql) { return scalar(sql); }), countsOf(localScalar));
        QStringList localIds;
        for (auto row = local.query(QStringLiteral("select ID from cdata order by ID"));
             !row.atEnd(); row.next())
            localIds << row.field(0);
        QCOMPARE(onCluster(m_host, m_database,
                           QStringLiteral("select \"id\" from cdata order by \"id\"")),
                 localIds);
        local.close();

        const QString highest = scalar(QStringLiteral("select max(\"fault id\") from bts_fault"));
        scalar(QStringLiteral("insert into bts_fault (\"circle\") values ('GOA')"));
        QCOMPARE(scalar(QStringLiteral("select max(\"fault id\") from bts_fault")).toInt(),
                 highest.toInt() + 1);
    }

    // Synthetic rows added to a database that holds rows already (the demo)
    // are numbered past them, as in a file; the rows there keep theirs.
    void syntheticRowsGoPastTheRowsThere() {
        QCOMPARE(adminRun({QStringLiteral("init-db"), QStringLiteral("--postgresql"), conninfo(),
                           QStringLiteral("--demo")})
                     .status,
                 0);
        const QString complaints = QStringLiteral("select \"id\" from complain order by 1");
        const QString tickets = QStringLiteral("select \"fault id\" from bts_fault order by 1");
        const QStringList demoComplaints = onCluster(m_host, m_database, complaints);
        const QStringList demoTickets = onCluster(m_host, m_database, tickets);
        QVERIFY(!demoComplaints.isEmpty() && !demoTickets.isEmpty());
        const Run seeded = adminRun(
            {QStringLiteral("seed-synthetic"), QStringLiteral("--postgresql"), conninfo(),
             QStringLiteral("--subscribers"), QStringLiteral("50"), QStringLiteral("--complaints"),
             QStringLiteral("60"), QStringLiteral("--tickets"), QStringLiteral("30")});
        QVERIFY2(seeded.status == 0, qPrintable(seeded.err));
        const QStringList allComplaints = onCluster(m_host, m_database, complaints);
        const QStringList allTickets = onCluster(m_host, m_database, tickets);
        QCOMPARE(allComplaints.mid(0, demoComplaints.size()), demoComplaints);
        QCOMPARE(allComplaints.size(), demoComplaints.size() + 60);
        QCOMPARE(allTickets.mid(0, demoTickets.size()), demoTickets);
        QCOMPARE(allTickets.size(), demoTickets.size() + 30);
    }

    void aServerThatCannotBeReachedIsNamed() {
        const Run run =
            adminRun({QStringLiteral("init-db"), QStringLiteral("--postgresql"),
                      QStringLiteral("host=%1 dbname=no_such_db user=postgres").arg(m_host)});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(QStringLiteral("no_such_db")), qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(TestAdminServer)
#include "tst_admin_server.moc"
