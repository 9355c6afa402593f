#include "oltd/inventory.h"
#include "oltd/service.h"
#include "oltd/service_config.h"
#include "oltd_fixture.h"

#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A secrets file in the folder, with the given permissions.
QString writeSecrets(const QTemporaryDir& dir, const QByteArray& text,
                     QFileDevice::Permissions permissions = QFileDevice::ReadOwner |
                                                            QFileDevice::WriteOwner) {
    const QString path = dir.filePath(QStringLiteral("oltd.secrets"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text);
    f.close();
    f.setPermissions(permissions);
    return path;
}

QHash<QString, QString> baseValues() {
    return {{QStringLiteral("olt 10.40.1.1/driver"), QStringLiteral("zte")},
            {QStringLiteral("olt 10.40.1.1/user"), QStringLiteral("noc")},
            {QStringLiteral("olt 10.40.1.1/password"), QStringLiteral("login")},
            {QStringLiteral("olt 10.40.1.1/host_key_sha256"), QStringLiteral("SHA256:abc")}};
}

} // namespace

class TestOltdInventory : public QObject {
    Q_OBJECT

private slots:
    // The template of the package, with its secrets handed over as the
    // unit hands them (a systemd credential), reads as it documents.
    void theTemplatesInventoryReads() {
        QTemporaryDir credentials;
        const auto s = productionTemplate(credentials);
        const oltd::Inventory& inv = s.inventory;
        QVERIFY(inv.defaultDriver.isEmpty());
        QCOMPARE(inv.olts.size(), 3);
        const oltd::OltEntry* zte = inv.find(QStringLiteral("10.40.1.1"));
        QVERIFY(zte);
        QCOMPARE(zte->driver, QStringLiteral("zte"));
        QCOMPARE(zte->target.transport, oltd::TransportKind::Ssh);
        QCOMPARE(zte->target.host, QStringLiteral("10.40.1.1"));
        QCOMPARE(zte->target.port, quint16(22));
        QCOMPARE(zte->target.password, QStringLiteral("change-me"));
        QCOMPARE(zte->target.enablePassword, QStringLiteral("change-me-too"));
        QVERIFY(zte->target.hostKeySha256.startsWith(QLatin1String("SHA256:")));
        QCOMPARE(zte->timeZone.id(), QByteArray("Asia/Kolkata"));
        const oltd::OltEntry* huawei = inv.find(QStringLiteral("10.40.2.1"));
        QVERIFY(huawei);
        QCOMPARE(huawei->target.transport, oltd::TransportKind::Telnet);
        QCOMPARE(huawei->target.port, quint16(23));
        QCOMPARE(huawei->target.commandTimeout, std::chrono::milliseconds(30000));
        QCOMPARE(huawei->sessions, 1);
        QCOMPARE(inv.find(QStringLiteral("10.40.3.1"))->driver, QStringLiteral("simulated"));
        QVERIFY(!inv.find(QStringLiteral("10.40.9.9")));
        QCOMPARE(s.queueDepth, 8);
        QCOMPARE(s.sessionIdleSeconds, 120);
    }

    // Every mistake stops the service at start with what and where.
    void mistakesAreNamed_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("secrets");
        QTest::addColumn<int>("permissions");
        QTest::addColumn<QString>("message");
        const int owner = int(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        const QByteArray fine = "login = s3cret\n";
        QTest::addRow("secrets others may read")
            << QString() << QString() << fine << int(owner | QFileDevice::ReadOther)
            << QStringLiteral("oltd.secrets may be read or changed by users other than its owner");
        QTest::addRow("secrets the group may read")
            << QString() << QString() << fine << int(owner | QFileDevice::ReadGroup)
            << QStringLiteral("(chmod 600 ");
        QTest::addRow("a secret the file lacks")
            << QString() << QString() << QByteArray("other = x\n") << owner
            << QStringLiteral("[olt 10.40.1.1] password in oltd.ini names the secret \"login\", "
                              "which ");
        QTest::addRow("a line that is no secret")
            << QString() << QString() << QByteArray("# comment\nlogin s3cret\n") << owner
            << QStringLiteral("line 2, is not \"name = password\"");
        QTest::addRow("unknown driver")
            << QStringLiteral("olt 10.40.1.1/driver") << QStringLiteral("nokia") << fine << owner
            << QStringLiteral("unknown driver \"nokia\" (known: zte, huawei, simulated)");
        QTest::addRow("unknown transport")
            << QStringLiteral("olt 10.40.1.1/transport") << QStringLiteral("rsh") << fine << owner
            << QStringLiteral("[olt 10.40.1.1] transport in oltd.ini must be ssh or telnet");
        QTest::addRow("ssh without a pinned key")
            << QStringLiteral("olt 10.40.1.1/host_key_sha256") << QString() << fine << owner
            << QStringLiteral("host_key_sha256 in oltd.ini is missing: pin");
        QTest::addRow("no user") << QStringLiteral("olt 10.40.1.1/user") << QString() << fine
                                 << owner << QStringLiteral("[olt 10.40.1.1] user in oltd.ini");
        QTest::addRow("bad zone") << QStringLiteral("olt 10.40.1.1/time_zone")
                                  << QStringLiteral("Mars/Olympus") << fine << owner
                                  << QStringLiteral("time_zone in oltd.ini is not a time zone");
        QTest::addRow("not an address")
            << QStringLiteral("olt krn-c320/driver") << QStringLiteral("zte") << fine << owner
            << QStringLiteral("\"krn-c320\" is not an IP address");
        QTest::addRow("a credential outside systemd")
            << QStringLiteral("oltd/secrets_file") << QStringLiteral("credential:x") << fine
            << owner << QStringLiteral("was not started with credentials");
        QTest::addRow("a default nobody has")
            << QStringLiteral("oltd/default_driver") << QStringLiteral("zte") << fine << owner
            << QStringLiteral("default_driver in oltd.ini names an unknown driver \"zte\"");
    }
    void mistakesAreNamed() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, secrets);
        QFETCH(int, permissions);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QHash<QString, QString> values = baseValues();
        values.insert(QStringLiteral("oltd/secrets_file"),
                      writeSecrets(dir, secrets, QFileDevice::Permissions(permissions)));
        if (!key.isEmpty())
            values.insert(key, value);
        try {
            oltd::readInventory(core::Config::fromValues(values, QStringLiteral("oltd.ini")),
                                QProcessEnvironment());
            QFAIL("the inventory was taken");
        } catch (const core::ConfigError& e) {
            QVERIFY2(e.message().contains(message), qPrintable(e.message()));
        }
    }

    // A password keeps every character it has: INI quoting, commas and
    // semicolons mean nothing in the secrets file.
    void aPasswordIsTakenAsWritten() {
        QTemporaryDir dir;
        const QString path = writeSecrets(dir, "login =  a;b,c \"d\"=e#f  \r\n");
        QCOMPARE(oltd::readSecrets(path).value(QStringLiteral("login")),
                 QStringLiteral("a;b,c \"d\"=e#f"));
    }

    // An address nobody serves is answered at once as not found; a change
    // asked of it is refused in the audit, never recorded as made.
    void anOltNotInTheInventoryIsNotFound() {
        QTemporaryDir dir;
        oltd::ServiceSettings s;
        s.listenAddress = QHostAddress::LocalHost;
        s.allow = oltd::parseAllow(QStringLiteral("127.0.0.1"), QStringLiteral("service/allow"),
                                   QStringLiteral("test"));
        s.auditLog = dir.filePath(QStringLiteral("audit.log"));
        support::SettableClock clock;
        oltd::OltService service(
            s, oltd::Inventory{},
            [](const oltd::OltEntry*) -> std::unique_ptr<oltd::Device> {
                throw std::logic_error("no device is needed");
            },
            clock, [](const QString&) {});
        const quint16 port = service.start();
        QVERIFY(port != 0);
        const auto url = [&](const QString& page) {
            return QUrl(
                QStringLiteral("http://127.0.0.1:%1/olt/%2?ip=10.9.9.9&mac=A4:7B:2C:10:01:01")
                    .arg(port)
                    .arg(page));
        };
        const RawAnswer status = rawRequest("GET", url(QStringLiteral("onu_status.php")));
        QCOMPARE(status.status, 404);
        QVERIFY2(
            bodyText(status.body).contains(QStringLiteral("OLT 10.9.9.9 IS NOT IN THE INVENTORY")),
            status.body.constData());
        const RawAnswer reboot = rawRequest("GET", url(QStringLiteral("onu_restart.php")));
        QCOMPARE(reboot.status, 404);
        QFile audit(s.auditLog);
        QVERIFY(audit.open(QIODevice::ReadOnly));
        const QList<QJsonObject> lines = auditLines(QString::fromUtf8(audit.readAll()));
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines.at(0).value(QStringLiteral("event")).toString(), QStringLiteral("refused"));
        QCOMPARE(lines.at(0).value(QStringLiteral("outcome")).toString(),
                 QStringLiteral("NOT_FOUND"));
    }
};

QTEST_GUILESS_MAIN(TestOltdInventory)
#include "tst_oltd_inventory.moc"
