#include "core/config.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestConfig : public QObject {
    Q_OBJECT

private slots:
    void readsKeysOfEverySectionCaseInsensitively() {
        const auto c = write("[database]\nBackend=sqlite\nsqlite_path=/tmp/x.db\n"
                             "[app]\ntitle=VUVA DESK\nwait_limit_seconds=7\n");
        QCOMPARE(c.value(QStringLiteral("database/backend")), QStringLiteral("sqlite"));
        QCOMPARE(c.value(QStringLiteral("DATABASE/SQLITE_PATH")), QStringLiteral("/tmp/x.db"));
        QCOMPARE(c.appTitle(), QStringLiteral("VUVA DESK"));
        QCOMPARE(c.waitLimitSeconds(), 7);
    }

    void defaultsWhereTheFileIsSilent() {
        const auto c = write("[database]\nbackend=sqlite\n");
        QCOMPARE(c.appTitle(), QStringLiteral("ZEL CRM"));
        QCOMPARE(c.waitLimitSeconds(), 20);
    }

    void aMissingRequiredKeyNamesKeyAndFile() {
        const auto c = write("[services]\nsms_gateway=\n");
        try {
            c.required(QStringLiteral("services/sms_gateway"));
            QFAIL("no error for a missing key");
        } catch (const core::ConfigError& e) {
            QCOMPARE(e.message(), QStringLiteral("Missing setting [services] sms_gateway in ") +
                                      m_dir.filePath(QStringLiteral("zelcrm.ini")));
        }
    }

    void valuesWithCommasAndSemicolonsStayWhole() {
        const auto c = write("[mail]\nfixed_cc=a@example.com,b@example.com\n[database]\n"
                             "connection=\"Provider=SQLOLEDB.1;User ID=sa;Data Source = "
                             "\xc2\xabserver\xc2\xbb;Packet Size=4096\"\n");
        QCOMPARE(c.value(QStringLiteral("mail/fixed_cc")),
                 QStringLiteral("a@example.com,b@example.com"));
        QCOMPARE(c.value(QStringLiteral("database/connection")),
                 QStringLiteral("Provider=SQLOLEDB.1;User ID=sa;Data Source = «server»;"
                                "Packet Size=4096"));
    }

    void badNumbersAndFlagsAreErrors() {
        const auto c = write("[app]\nwait_limit_seconds=soon\n[database]\nencrypt=maybe\n");
        QVERIFY_THROWS_EXCEPTION(core::ConfigError, c.waitLimitSeconds());
        QVERIFY_THROWS_EXCEPTION(core::ConfigError,
                                 c.flag(QStringLiteral("database/encrypt"), false));
    }

    // A limit outside 1 s to an hour would make every wait endless (a
    // negative timer) or overflow the milliseconds.
    void theWaitLimitHasARange_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("seconds"); // 0: refused
        QTest::addRow("unset") << QString() << 20;
        QTest::addRow("one second") << QStringLiteral("1") << 1;
        QTest::addRow("an hour") << QStringLiteral("3600") << 3600;
        QTest::addRow("zero") << QStringLiteral("0") << 0;
        QTest::addRow("negative") << QStringLiteral("-1") << 0;
        QTest::addRow("past an hour") << QStringLiteral("3601") << 0;
        QTest::addRow("past the timer") << QStringLiteral("2147484") << 0;
    }
    void theWaitLimitHasARange() {
        QFETCH(QString, value);
        QFETCH(int, seconds);
        const QByteArray text = "[app]\nwait_limit_seconds=" + value.toUtf8() + "\n";
        const auto c = write(text.constData());
        if (seconds) {
            QCOMPARE(c.waitLimitSeconds(), seconds);
            return;
        }
        try {
            c.waitLimitSeconds();
            QFAIL("accepted");
        } catch (const core::ConfigError& e) {
            QVERIFY(e.message().contains(QStringLiteral("[app] wait_limit_seconds")));
            QVERIFY(e.message().contains(QStringLiteral("from 1 to 3600")));
        }
    }

    void pathFromArgumentThenEnvironmentThenHome() {
        qputenv("ZELCRM_CONFIG", "/etc/from-env.ini");
        QCOMPARE(core::Config::resolvePath({QStringLiteral("zelcrm"), QStringLiteral("--config"),
                                            QStringLiteral("/x/a.ini")}),
                 QStringLiteral("/x/a.ini"));
        QCOMPARE(core::Config::resolvePath({QStringLiteral("zelcrm")}),
                 QStringLiteral("/etc/from-env.ini"));
        qunsetenv("ZELCRM_CONFIG");
        QVERIFY(core::Config::resolvePath({QStringLiteral("zelcrm")})
                    .endsWith(QStringLiteral("/.config/zelcrm/zelcrm.ini")));
    }

    void aMissingFileIsAnError() {
        QVERIFY_THROWS_EXCEPTION(core::ConfigError,
                                 core::Config::load(m_dir.filePath(QStringLiteral("none.ini"))));
    }

    void aFileOthersCanReadIsNoticed() {
        write("[app]\ntitle=x\n");
        const QString path = m_dir.filePath(QStringLiteral("zelcrm.ini"));
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QVERIFY(!core::readableByOthers(path));
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadOther);
        QVERIFY(core::readableByOthers(path));
    }

private:
    core::Config write(const char* text) {
        const QString path = m_dir.filePath(QStringLiteral("zelcrm.ini"));
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(text);
        f.close();
        return core::Config::load(path);
    }
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestConfig)
#include "tst_config.moc"
