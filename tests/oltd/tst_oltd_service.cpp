#include "core/config.h"
#include "httpd/raw_client.h"
#include "oltd_fixture.h"

#include <QProcess>
#include <QSignalSpy>
#include <csignal>

class TestOltdService : public QObject {
    Q_OBJECT

private slots:
    void theAuditLineNamesTheRequestAndMasksPasswords() {
        OltdFixture f;
        f.get(QStringLiteral("onu_wan_config.php?ip=192.0.2.11&mac=A4:7B:2C:10:01:01&bb_id=anil"
                             "&bb_inner_vlan=101&bb_pas=Wan%2BSecret1&bb_mtu=1460"));
        f.get(QStringLiteral("onu_phone_config.php?ip=192.0.2.11&mac=A4:7B:2C:10:01:01"
                             "&voip_vlan=2500&pas=VoipSecret2&sip=ims.example&phone=k91"));
        f.get(QStringLiteral("onu_status.php?ip=192.0.2.11&mac=A4:7B:2C:10:01:01"));
        f.get(QStringLiteral("onu_reset.php?ip=192.0.2.11&mac=A4:7B:2C:10:09:09"));
        const QStringList lines = f.audit().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QString time = f.clock.now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        const QStringList expected{
            time + QStringLiteral("\t127.0.0.1\tonu_wan_config.php\tolt=192.0.2.11"
                                  "\tmac=A4:7B:2C:10:01:01\toutcome=OK"
                                  "\tbb_id=anil bb_inner_vlan=101 bb_pas=******** bb_mtu=1460"),
            time + QStringLiteral("\t127.0.0.1\tonu_phone_config.php\tolt=192.0.2.11"
                                  "\tmac=A4:7B:2C:10:01:01\toutcome=OK"
                                  "\tvoip_vlan=2500 pas=******** sip=ims.example phone=k91"),
            time + QStringLiteral("\t127.0.0.1\tonu_reset.php\tolt=192.0.2.11"
                                  "\tmac=A4:7B:2C:10:09:09\toutcome=NOT_FOUND\t")};
        QCOMPARE(lines, expected);
        const QString everything = f.audit() + f.log.join(QLatin1Char('\n'));
        QVERIFY(!everything.contains(QStringLiteral("Secret")));
    }

    // Over the wire, a client outside the networks is closed as it connects,
    // before anything it sends is read; a request that reaches the service
    // all the same is refused and a change is audited.
    void aClientOutsideTheAllowedNetworksIsRefused() {
        OltdFixture f(QStringLiteral("10.20.0.0/16, 192.168.1.7"));
        RawClient wire(f.port);
        wire.send("GET /olt/onu_restart.php?ip=192.0.2.11&mac=A4:7B:2C:10:01:01 HTTP/1.1\r\n"
                  "Host: t\r\n\r\n");
        QVERIFY(wire.waitClosed());
        QVERIFY(wire.received().isEmpty());
        httpd::Request request;
        request.method = "GET";
        request.path = QStringLiteral("/olt/onu_restart.php");
        request.query = QUrlQuery(QStringLiteral("ip=192.0.2.11&mac=A4:7B:2C:10:01:01"));
        request.client = QHostAddress::LocalHost;
        const auto answer = f.service->answer(request);
        QCOMPARE(answer.status, 403);
        QVERIFY(answer.body.contains("does not serve the network of 127.0.0.1"));
        QVERIFY(f.audit().contains(QStringLiteral("onu_restart.php\tolt=192.0.2.11"
                                                  "\tmac=A4:7B:2C:10:01:01\toutcome=DENIED")));
        // Nothing reached the ONU.
        OltdFixture open;
        QCOMPARE(
            open.get(QStringLiteral("onu_status.php?ip=192.0.2.11&mac=A4:7B:2C:10:01:01")).status,
            200);
    }

    // The [service] limits reach the server: a long address is refused, a
    // half-sent request is dropped while a desk is served.
    void theServiceKeepsItsLimits() {
        OltdFixture f;
        oltd::ServiceSettings s;
        s.listenAddress = QHostAddress::LocalHost;
        s.allow = oltd::parseAllow(QStringLiteral("127.0.0.1"), QStringLiteral("service/allow"),
                                   QStringLiteral("test"));
        s.auditLog = f.auditFile();
        s.maxUrlBytes = 300;
        s.requestTimeoutSeconds = 1;
        f.service.reset();
        f.service = std::make_unique<oltd::OltService>(s, *f.driver, f.clock,
                                                       [&](const QString& l) { f.log << l; });
        f.port = f.service->start();
        QVERIFY(f.port != 0);
        RawClient slow(f.port);
        slow.send("GET /olt/onu_status.php HTTP/1.1\r\n");
        QCOMPARE(
            f.get(QStringLiteral("onu_status.php?ip=192.0.2.11&mac=") + QString(300, u'A')).status,
            414);
        QCOMPARE(f.get(QStringLiteral("onu_status.php?ip=192.0.2.11&mac=A4:7B:2C:10:01:01")).status,
                 200);
        QVERIFY(slow.waitClosed());
        QVERIFY(slow.received().isEmpty());
    }

    // A client may send a path of kilobytes: the log line and the page name
    // the first few hundred characters of it.
    void aLongPathIsShortenedInTheLogAndThePage() {
        OltdFixture f;
        const QString path = QStringLiteral("/olt/") + QString(6000, u'x');
        const auto answer = f.get(path.mid(5));
        QCOMPARE(answer.status, 404);
        QVERIFY(answer.body.contains(QString(195, u'x').toUtf8()));
        QVERIFY(!answer.body.contains(QString(300, u'x').toUtf8()));
        QCOMPARE(f.log.size(), 1);
        QVERIFY2(f.log[0].size() < 300, qPrintable(f.log[0]));
    }

    void allowedNetworks_data() {
        QTest::addColumn<QString>("client");
        QTest::addColumn<bool>("allowed");
        QTest::addRow("listed address") << QStringLiteral("192.168.1.7") << true;
        QTest::addRow("neighbour of a listed address") << QStringLiteral("192.168.1.8") << false;
        QTest::addRow("inside the network") << QStringLiteral("10.20.255.1") << true;
        QTest::addRow("next network") << QStringLiteral("10.21.0.1") << false;
        QTest::addRow("IPv4 seen on a dual-stack socket")
            << QStringLiteral("::ffff:10.20.0.5") << true;
        QTest::addRow("IPv6 loopback") << QStringLiteral("::1") << false;
    }
    void allowedNetworks() {
        QFETCH(QString, client);
        QFETCH(bool, allowed);
        const auto allow = oltd::parseAllow(QStringLiteral("10.20.0.0/16, 192.168.1.7"),
                                            QStringLiteral("service/allow"), QStringLiteral("f"));
        QCOMPARE(oltd::isAllowed(allow, QHostAddress(client)), allowed);
    }

    void configurationErrorsNameTheKeyAndFile_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::addRow("no listen address")
            << QStringLiteral("service/listen_address") << QString()
            << QStringLiteral("Missing setting [service] listen_address in oltd.ini");
        QTest::addRow("listen address")
            << QStringLiteral("service/listen_address") << QStringLiteral("localhost")
            << QStringLiteral("[service] listen_address in oltd.ini "
                              "is not an IP address");
        QTest::addRow("no port") << QStringLiteral("service/port") << QString()
                                 << QStringLiteral("Missing setting [service] port in oltd.ini");
        QTest::addRow("port") << QStringLiteral("service/port") << QStringLiteral("70000")
                              << QStringLiteral("[service] port in oltd.ini must be 0 to 65535");
        QTest::addRow("allow") << QStringLiteral("service/allow")
                               << QStringLiteral("10.0.0.0/8, office")
                               << QStringLiteral("[service] allow in oltd.ini holds \"office\"");
        QTest::addRow("no audit log") << QStringLiteral("service/audit_log") << QString()
                                      << QStringLiteral("[service] audit_log in oltd.ini");
        QTest::addRow("driver") << QStringLiteral("driver/name") << QStringLiteral("zte")
                                << QStringLiteral("unknown driver \"zte\" (known: simulated)");
        QTest::addRow("no network file") << QStringLiteral("simulated/network_file") << QString()
                                         << QStringLiteral("[simulated] network_file in oltd.ini");
        QTest::addRow("reboot time")
            << QStringLiteral("simulated/reboot_seconds") << QStringLiteral("-1")
            << QStringLiteral("reboot_seconds in oltd.ini must be 0 to 600");
        const auto range = [](const char* key, const char* from, const char* to) {
            return QStringLiteral("[service] %1 in oltd.ini must be a whole number from %2 to %3")
                .arg(QLatin1String(key), QLatin1String(from), QLatin1String(to));
        };
        QTest::addRow("no connections")
            << QStringLiteral("service/max_connections") << QStringLiteral("0")
            << range("max_connections", "1", "60000");
        QTest::addRow("more per client than in all")
            << QStringLiteral("service/max_connections_per_client") << QStringLiteral("1001")
            << QStringLiteral("[service] max_connections_per_client in oltd.ini must not be more "
                              "than max_connections (1000)");
        QTest::addRow("idle timeout")
            << QStringLiteral("service/idle_timeout_seconds") << QStringLiteral("0")
            << range("idle_timeout_seconds", "1", "3600");
        QTest::addRow("request timeout in words")
            << QStringLiteral("service/request_timeout_seconds") << QStringLiteral("ten")
            << QStringLiteral(
                   "[service] request_timeout_seconds in oltd.ini must be a whole number");
        QTest::addRow("URL limit")
            << QStringLiteral("service/max_url_bytes") << QStringLiteral("100")
            << range("max_url_bytes", "256", "1048576");
        QTest::addRow("header limit")
            << QStringLiteral("service/max_header_bytes") << QStringLiteral("2000000")
            << range("max_header_bytes", "1024", "1048576");
        QTest::addRow("body limit")
            << QStringLiteral("service/max_body_bytes") << QStringLiteral("-1")
            << range("max_body_bytes", "0", "67108864");
    }
    void configurationErrorsNameTheKeyAndFile() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, message);
        QHash<QString, QString> values{
            {QStringLiteral("service/listen_address"), QStringLiteral("127.0.0.1")},
            {QStringLiteral("service/port"), QStringLiteral("8470")},
            {QStringLiteral("service/audit_log"), QStringLiteral("/tmp/a.log")},
            {QStringLiteral("driver/name"), QStringLiteral("simulated")},
            {QStringLiteral("simulated/network_file"), QStringLiteral("/tmp/n.db")}};
        values.insert(key, value);
        try {
            oltd::ServiceSettings::fromConfig(
                core::Config::fromValues(values, QStringLiteral("oltd.ini")));
            QFAIL("the setting was taken");
        } catch (const core::ConfigError& e) {
            QVERIFY2(e.message().contains(message), qPrintable(e.message()));
        }
    }

    void theProductionTemplateIsAValidConfiguration() {
        const auto s = oltd::ServiceSettings::fromConfig(
            core::Config::load(QStringLiteral(ZELCRM_SOURCE "/etc/zelcrm-oltd.example.ini")));
        QCOMPARE(s.port, quint16(8470));
        QVERIFY(oltd::isAllowed(s.allow, QHostAddress(QStringLiteral("10.20.3.4"))));
        QVERIFY(!oltd::isAllowed(s.allow, QHostAddress(QStringLiteral("10.21.3.4"))));
        QCOMPARE(s.driver, QStringLiteral("simulated"));
        const QList<int> limits{s.maxConnections,     s.maxConnectionsPerClient,
                                s.idleTimeoutSeconds, s.requestTimeoutSeconds,
                                s.maxUrlBytes,        s.maxHeaderBytes,
                                s.maxBodyBytes};
        QCOMPARE(limits, (QList<int>{1000, 64, 30, 10, 8192, 16384, 65536}));
        // The unit gives the service four descriptors for every connection
        // it may hold.
        QFile unit(QStringLiteral(ZELCRM_SOURCE "/etc/zelcrm-oltd.service"));
        QVERIFY(unit.open(QIODevice::ReadOnly));
        const QByteArray text = unit.readAll();
        const qsizetype at = text.indexOf("\nLimitNOFILE=");
        QVERIFY(at >= 0);
        const int files = text.mid(at + 13, text.indexOf('\n', at + 1) - at - 13).toInt();
        QVERIFY2(s.maxConnections * 4 <= files, text.mid(at, 30).constData());
    }

    void theDefaultAllowsOnlyTheLoopbackAddress() {
        const auto s = oltd::ServiceSettings::fromConfig(core::Config::fromValues(
            {{QStringLiteral("service/listen_address"), QStringLiteral("0.0.0.0")},
             {QStringLiteral("service/port"), QStringLiteral("0")},
             {QStringLiteral("service/audit_log"), QStringLiteral("/tmp/a.log")},
             {QStringLiteral("driver/name"), QStringLiteral("simulated")},
             {QStringLiteral("simulated/network_file"), QStringLiteral("/tmp/n.db")}}));
        QCOMPARE(s.allow,
                 QList<oltd::Subnet>{oltd::Subnet(QHostAddress(QStringLiteral("127.0.0.1")), 32)});
    }

    // The real program: init-sim from a client database, serve on a free
    // port, answer, and stop cleanly on SIGTERM, connections open or not.
    void theProgramServesAndStopsOnSigterm() {
        support::TestDb client;
        client.exec(QStringLiteral("INSERT INTO af_site (site, ip) VALUES ('S1','192.0.2.50')"));
        client.exec(QStringLiteral("INSERT INTO OLT (SITE, IN_VLAN, ID, MAC, SN) VALUES "
                                   "('S1','7','u1','A4:00:00:00:00:07','ZTEG00000007')"));
        QTemporaryDir dir;
        const QString sim = dir.filePath(QStringLiteral("net.db"));
        QCOMPARE(run({QStringLiteral("init-sim"), QStringLiteral("--client-db"), client.path(),
                      QStringLiteral("--sim"), sim}),
                 0);
        // A second init-sim would throw away what operators configured.
        QCOMPARE(run({QStringLiteral("init-sim"), QStringLiteral("--client-db"), client.path(),
                      QStringLiteral("--sim"), sim}),
                 1);
        const QString ini = dir.filePath(QStringLiteral("oltd.ini"));
        QFile f(ini);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("[service]\nlisten_address=127.0.0.1\nport=0\naudit_log=%1\n"
                               "[driver]\nname=simulated\n[simulated]\nnetwork_file=%2\n")
                    .arg(dir.filePath(QStringLiteral("audit.log")), sim)
                    .toUtf8());
        f.close();
        const QString portFile = dir.filePath(QStringLiteral("port"));
        QProcess oltd;
        oltd.start(QStringLiteral(ZELCRM_OLTD),
                   {QStringLiteral("--config"), ini, QStringLiteral("--port-file"), portFile});
        QVERIFY(oltd.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(portFile).size() > 0, 10000);
        QFile pf(portFile);
        QVERIFY(pf.open(QIODevice::ReadOnly));
        const int port = pf.readAll().trimmed().toInt();
        const auto answer = integrations::httpGet(
            QUrl(QStringLiteral("http://127.0.0.1:%1/olt/onu_mac.php?ip=192.0.2.50&mac=00:07")
                     .arg(port)),
            10);
        QCOMPARE(answer.status, 200);
        QCOMPARE(bodyText(answer.body).mid(10, 17), QStringLiteral("A4:00:00:00:00:07"));
        // Connections left open, idle and half-sent, do not hold the stop.
        RawClient idle{quint16(port)}, halfSent{quint16(port)};
        halfSent.send("GET /olt/onu_mac.php HTTP/1.1\r\n");
        QVERIFY(idle.isOpen() && halfSent.isOpen());
        ::kill(pid_t(oltd.processId()), SIGTERM);
        QVERIFY(oltd.waitForFinished(10000));
        QVERIFY(idle.waitClosed() && halfSent.waitClosed());
        QCOMPARE(oltd.exitStatus(), QProcess::NormalExit);
        QCOMPARE(oltd.exitCode(), 0);
        QVERIFY(oltd.readAllStandardError().contains("zelcrm-oltd: stopped"));
    }

    void theProgramRefusesAMissingNetworkClearly() {
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("oltd.ini"));
        QFile f(ini);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("[service]\nlisten_address=127.0.0.1\nport=0\naudit_log=%1\n"
                               "[driver]\nname=simulated\n[simulated]\nnetwork_file=%2\n")
                    .arg(dir.filePath(QStringLiteral("audit.log")),
                         dir.filePath(QStringLiteral("none.db")))
                    .toUtf8());
        f.close();
        QProcess oltd;
        oltd.start(QStringLiteral(ZELCRM_OLTD), {QStringLiteral("--config"), ini});
        QVERIFY(oltd.waitForFinished(10000));
        QCOMPARE(oltd.exitCode(), 1);
        QVERIFY(
            oltd.readAllStandardError().contains("none.db does not exist (zelcrm-oltd init-sim"));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("none.db"))));
    }

private:
    static int run(const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral(ZELCRM_OLTD), args);
        if (!p.waitForFinished(30000))
            return -1;
        return p.exitCode();
    }
};

QTEST_GUILESS_MAIN(TestOltdService)
#include "tst_oltd_service.moc"
