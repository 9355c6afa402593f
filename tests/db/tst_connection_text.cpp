#include "db/db_settings.h"

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
};

QTEST_GUILESS_MAIN(TestConnectionText)
#include "tst_connection_text.moc"
