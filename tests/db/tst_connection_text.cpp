#include "core/config.h"
#include "db/db_settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestConnectionText : public QObject {
    Q_OBJECT

private slots:
    void providerFormBecomesOdbc_data() {
        QTest::addColumn<QString>("provider");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("driver");
        QTest::addColumn<bool>("encrypt");
        QTest::addColumn<QString>("odbc");
        const QString shipped = QStringLiteral(
            "Provider=SQLOLEDB.1;User ID=sa;password=s3cret;Initial Catalog=test;Data Source = "
            "«server»;Use Procedure for Prepare=1;Auto Translate=True;Packet Size=4096");
        QTest::addRow("shipped form, FreeTDS")
            << shipped << QStringLiteral("10.1.1.5") << QStringLiteral("FreeTDS") << false
            << QStringLiteral("Driver=FreeTDS;Server=10.1.1.5;Database=test;UID=sa;PWD=s3cret;"
                              "Packet Size=4096;TDS_Version=7.4;ClientCharset=UTF-8");
        QTest::addRow("grid form, port, encrypted")
            << QStringLiteral("Provider=SQLOLEDB.1;Password=s3cret;Persist Security Info=True;"
                              "User ID=sa;Initial Catalog=test;Data Source=«server»;Use Procedure "
                              "for Prepare=1;Auto Translate=True;Packet Size=4096")
            << QStringLiteral("db.example.net,1533") << QStringLiteral("FreeTDS") << true
            << QStringLiteral("Driver=FreeTDS;Server=db.example.net;Port=1533;Database=test;UID=sa;"
                              "PWD=s3cret;Packet Size=4096;TDS_Version=7.4;ClientCharset=UTF-8;"
                              "Encryption=require");
        QTest::addRow("short form without packet size")
            << QStringLiteral("Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;User "
                              "ID=sa;Initial Catalog=test;Data Source=«server»")
            << QStringLiteral("10.1.1.9") << QStringLiteral("FreeTDS") << false
            << QStringLiteral("Driver=FreeTDS;Server=10.1.1.9;Database=test;UID=sa;PWD=pw;"
                              "TDS_Version=7.4;ClientCharset=UTF-8");
        QTest::addRow("password with separators is braced")
            << QStringLiteral("User ID=sa;password=a=b}c;Initial Catalog=test;Data Source=«server»")
            << QStringLiteral("h") << QStringLiteral("FreeTDS") << false
            << QStringLiteral("Driver=FreeTDS;Server=h;Database=test;UID=sa;PWD={a=b}}c};"
                              "TDS_Version=7.4;ClientCharset=UTF-8");
        QTest::addRow("another driver keeps host,port")
            << shipped << QStringLiteral("db,1533")
            << QStringLiteral("ODBC Driver 18 for SQL Server") << true
            << QStringLiteral("Driver={ODBC Driver 18 for SQL Server};Server=db,1533;Database=test;"
                              "UID=sa;PWD=s3cret;Packet Size=4096;AutoTranslate=yes;Encrypt=yes");
        // Found by fuzzing: a driver name with a blank was braced without
        // doubling its '}', so the rest of it read as keys of their own.
        QTest::addRow("driver name with a brace cannot add keys")
            << QStringLiteral("User ID=sa;password=pw;Data Source=«server»") << QStringLiteral("h")
            << QStringLiteral("My Driver};PWD=x") << false
            << QStringLiteral("Driver={My Driver}};PWD=x};Server=h;UID=sa;PWD=pw;AutoTranslate=yes;"
                              "Encrypt=no");
        QTest::addRow("server with separators is braced")
            << QStringLiteral("User ID=sa;password=pw;Data Source=«server»")
            << QStringLiteral("h;UID=admin") << QStringLiteral("FreeTDS") << false
            << QStringLiteral("Driver=FreeTDS;Server={h;UID=admin};UID=sa;PWD=pw;TDS_Version=7.4;"
                              "ClientCharset=UTF-8");
    }
    void providerFormBecomesOdbc() {
        QFETCH(QString, provider);
        QFETCH(QString, server);
        QFETCH(QString, driver);
        QFETCH(bool, encrypt);
        QFETCH(QString, odbc);
        QCOMPARE(db::odbcConnectionString(provider, server, driver, encrypt), odbc);
    }

    void postgreSqlServerAddresses_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addRow("name") << "db.zel.in"
                              << "db.zel.in" << 0;
        QTest::addRow("name and port") << "db.zel.in:5433"
                                       << "db.zel.in" << 5433;
        QTest::addRow("blanks around") << " 10.1.1.5:5432 "
                                       << "10.1.1.5" << 5432;
        QTest::addRow("bare v6") << "fd00::5"
                                 << "fd00::5" << 0;
        QTest::addRow("bracketed v6 and port") << "[fd00::5]:5433"
                                               << "fd00::5" << 5433;
        QTest::addRow("socket folder") << "/run/postgresql"
                                       << "/run/postgresql" << 0;
        QTest::addRow("socket folder and port") << "/tmp/pg:5433"
                                                << "/tmp/pg" << 5433;
    }
    void postgreSqlServerAddresses() {
        QFETCH(QString, text);
        QFETCH(QString, host);
        QFETCH(int, port);
        const db::ServerAddress address = db::serverAddress(text);
        QCOMPARE(address.host, host);
        QCOMPARE(address.port, port);
    }

    // Every way the [database] keys of a PostgreSQL server can be wrong ends
    // in one clear message naming the key (and the file); a password file
    // others can read is refused, not used.
    void postgreSqlSettings_data() {
        QTest::addColumn<QStringList>("keys"); // key=value
        QTest::addColumn<int>("passwordMode"); // 0: no file
        QTest::addColumn<QString>("error");    // empty: accepted
        const QStringList whole = {
            QStringLiteral("backend=postgresql"), QStringLiteral("primary_server=db:5432"),
            QStringLiteral("pg_database=zelcrm"), QStringLiteral("pg_user=desk")};
        QTest::addRow("whole") << whole << 0 << QString();
        QTest::addRow("with an owner-only password file") << whole << 0600 << QString();
        QTest::addRow("password file others can read")
            << whole << 0644 << QStringLiteral("can be read by other users");
        for (const char* key : {"primary_server", "pg_database", "pg_user"}) {
            QStringList keys = whole;
            keys.removeIf([&](const QString& k) { return k.startsWith(QLatin1String(key)); });
            QTest::addRow("without %s", key)
                << keys << 0
                << QStringLiteral("Missing setting [database] %1").arg(QLatin1String(key));
        }
        QTest::addRow("unknown TLS mode") << whole + QStringList{QStringLiteral("pg_sslmode=yes")}
                                          << 0 << QStringLiteral("pg_sslmode");
    }
    void postgreSqlSettings() {
        QFETCH(QStringList, keys);
        QFETCH(int, passwordMode);
        QFETCH(QString, error);
        QTemporaryDir dir;
        QHash<QString, QString> values;
        for (const QString& key : keys)
            values.insert(QStringLiteral("database/") + key.section(u'=', 0, 0),
                          key.section(u'=', 1));
        const QString passwordFile = dir.filePath(QStringLiteral("pg-password"));
        if (passwordMode) {
            QFile file(passwordFile);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("s3cret'pw\n");
            file.close();
            QVERIFY(file.setPermissions(QFile::Permissions(
                passwordMode == 0600
                    ? QFile::ReadOwner | QFile::WriteOwner
                    : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther)));
            values.insert(QStringLiteral("database/pg_password_file"), passwordFile);
        }
        try {
            const db::DbSettings s = db::DbSettings::fromConfig(
                core::Config::fromValues(values, QStringLiteral("z.ini")));
            QVERIFY2(error.isEmpty(), "accepted");
            QCOMPARE(s.backend, db::Backend::PostgreSql);
            QCOMPARE(s.pgSecondaryDatabase, QStringLiteral("zelcrm"));
            QCOMPARE(s.pgSslMode, QStringLiteral("prefer"));
            QCOMPARE(s.pgPassword, passwordMode ? QStringLiteral("s3cret'pw") : QString());
        } catch (const core::ConfigError& e) {
            QVERIFY2(!error.isEmpty() && e.message().contains(error) &&
                         e.message().contains(QStringLiteral("z.ini")),
                     qPrintable(e.message()));
            if (passwordMode)
                QVERIFY(e.message().contains(passwordFile));
        }
    }
};

QTEST_GUILESS_MAIN(TestConnectionText)
#include "tst_connection_text.moc"
