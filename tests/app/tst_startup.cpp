#include "app/startup.h"
#include "db/schema.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void startsOnAConfiguredSqliteDatabase() {
        const QString dbPath = m_dir.filePath(QStringLiteral("a.db"));
        db::createSqliteDatabase(dbPath);
        const auto s = app::loadStartup(args(QStringLiteral("[database]\nbackend=sqlite\n"
                                                            "sqlite_path=") +
                                             dbPath));
        QVERIFY2(s.ok(), qPrintable(s.error));
        QCOMPARE(s.database.sqlitePath, dbPath);
        QCOMPARE(s.config.appTitle(), QStringLiteral("ZEL CRM"));
    }

    void refusesWhatItCannotUse_data() {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QString>("error");
        QTest::addRow("no database file")
            << QStringLiteral("[database]\nbackend=sqlite\nsqlite_path=/nonexistent/x.db")
            << QStringLiteral("Database file /nonexistent/x.db not found");
        QTest::addRow("sqlite without its path")
            << QStringLiteral("[database]\nbackend=sqlite")
            << QStringLiteral("Missing setting [database] sqlite_path in ");
        QTest::addRow("sqlserver without its server")
            << QStringLiteral("[database]\nbackend=sqlserver\nconnection=\"User ID=sa\"")
            << QStringLiteral("Missing setting [database] primary_server in ");
        QTest::addRow("unknown backend") << QStringLiteral("[database]\nbackend=oracle")
                                         << QStringLiteral("Setting [database] backend in ");
    }
    void refusesWhatItCannotUse() {
        QFETCH(QString, ini);
        QFETCH(QString, error);
        const auto s = app::loadStartup(args(ini));
        QVERIFY(!s.ok());
        QVERIFY2(s.error.startsWith(error), qPrintable(s.error));
    }

    void refusesADatabaseOfANewerClient() {
        const QString dbPath = m_dir.filePath(QStringLiteral("newer.db"));
        db::createSqliteDatabase(dbPath);
        sqlite3* raw = nullptr;
        sqlite3_open(dbPath.toUtf8().constData(), &raw);
        sqlite3_exec(raw, "PRAGMA user_version=99", nullptr, nullptr, nullptr);
        sqlite3_close(raw);
        const auto s = app::loadStartup(
            args(QStringLiteral("[database]\nbackend=sqlite\nsqlite_path=") + dbPath));
        QVERIFY(!s.ok());
        QVERIFY2(s.error.contains(QStringLiteral("newer")), qPrintable(s.error));
    }

    void aMissingConfigurationFileIsNamed() {
        const auto s = app::loadStartup({QStringLiteral("zelcrm"), QStringLiteral("--config"),
                                         QStringLiteral("/nonexistent/zel.ini")});
        QCOMPARE(s.error, QStringLiteral("Configuration file /nonexistent/zel.ini not found"));
    }

private:
    QStringList args(const QString& ini) {
        const QString path = m_dir.filePath(QStringLiteral("zelcrm.ini"));
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(ini.toUtf8());
        f.close();
        return {QStringLiteral("zelcrm"), QStringLiteral("--config"), path};
    }
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
