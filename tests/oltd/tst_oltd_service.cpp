#include "core/config.h"
#include "httpd/raw_client.h"
#include "oltd_fixture.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <csignal>

class TestOltdService : public QObject {
    Q_OBJECT

private slots:
    // A change's line is on disk before the change, its outcome after it,
    // both under one id; reads leave no line; passwords never appear.
    void theAuditLinesNameTheRequestAndMaskPasswords() {
        OltdFixture f;
        f.get(QStringLiteral("onu_wan_config.php?ip=192.0.2.11&mac=A4:7B:2C:10:01:01&bb_id=anil"
                             "&bb_inner_vlan=101&bb_pas=Wan%2BSecret1&bb_mtu=1460"));
        f.get(QStringLiteral("onu_phone_config.php?ip=192.0.2.11&mac=A4:7B:2C:10:01:01"
                             "&voip_vlan=2500&pas=VoipSecret2&sip=ims.example&phone=k91"));
        f.get(QStringLiteral("onu_status.php?ip=192.0.2.11&mac=A4:7B:2C:10:01:01"));
        f.get(QStringLiteral("onu_reset.php?ip=192.0.2.11&mac=A4:7B:2C:10:09:09"));
        const QList<QJsonObject> lines = auditLines(f.audit());
        QCOMPARE(lines.size(), 6);
        const QJsonObject wanValues{{QStringLiteral("bb_id"), QStringLiteral("anil")},
                                    {QStringLiteral("bb_inner_vlan"), QStringLiteral("101")},
                                    {QStringLiteral("bb_pas"), QStringLiteral("********")},
                                    {QStringLiteral("bb_mtu"), QStringLiteral("1460")}};
        const QJsonObject phoneValues{{QStringLiteral("voip_vlan"), QStringLiteral("2500")},
                                      {QStringLiteral("pas"), QStringLiteral("********")},
                                      {QStringLiteral("sip"), QStringLiteral("ims.example")},
                                      {QStringLiteral("phone"), QStringLiteral("k91")}};
        const struct {
            const char* page;
            const char* mac;
            QJsonObject values;
            const char* outcome;
        } expected[] = {{"onu_wan_config.php", "A4:7B:2C:10:01:01", wanValues, "OK"},
                        {"onu_phone_config.php", "A4:7B:2C:10:01:01", phoneValues, "OK"},
                        {"onu_reset.php", "A4:7B:2C:10:09:09", {}, "NOT_FOUND"}};
        static const QRegularExpression iso(QStringLiteral(
            "^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}[+-]\\d\\d:\\d\\d$"));
        for (int i = 0; i < 3; ++i) {
            const QJsonObject& change = lines.at(2 * i);
            const QJsonObject& outcome = lines.at(2 * i + 1);
            QCOMPARE(change.value(QStringLiteral("event")).toString(), QStringLiteral("change"));
            QCOMPARE(outcome.value(QStringLiteral("event")).toString(), QStringLiteral("outcome"));
            QVERIFY(!change.value(QStringLiteral("id")).toString().isEmpty());
            QCOMPARE(outcome.value(QStringLiteral("id")), change.value(QStringLiteral("id")));
            for (const QJsonObject& line : {change, outcome}) {
                QCOMPARE(line.value(QStringLiteral("page")).toString(),
                         QString::fromLatin1(expected[i].page));
                QCOMPARE(line.value(QStringLiteral("client")).toString(),
                         QStringLiteral("127.0.0.1"));
                QCOMPARE(line.value(QStringLiteral("olt")).toString(),
                         QStringLiteral("192.0.2.11"));
                QCOMPARE(line.value(QStringLiteral("mac")).toString(),
                         QString::fromLatin1(expected[i].mac));
                QCOMPARE(line.value(QStringLiteral("values")).toObject(), expected[i].values);
                const QString time = line.value(QStringLiteral("time")).toString();
                QVERIFY2(iso.match(time).hasMatch(), qPrintable(time));
                QCOMPARE(QDateTime::fromString(time, Qt::ISODateWithMs), f.clock.now());
            }
            QVERIFY(!change.contains(QStringLiteral("outcome")));
            QCOMPARE(outcome.value(QStringLiteral("outcome")).toString(),
                     QString::fromLatin1(expected[i].outcome));
        }
        const QString everything = f.audit() + f.log.join(QLatin1Char('\n'));
        QVERIFY(!everything.contains(QStringLiteral("Secret")));
    }

    // A Wi-Fi name that once read as a field of its own, and its kin: each
    // comes back as one value of one line.
    void aValueNeverReadsAsAnotherField_data() {
        QTest::addColumn<QString>("name");
        QTest::addRow("tab") << QStringLiteral("Net\toutcome=FAKE");
        QTest::addRow("line break") << QStringLiteral("Net\n{\"event\":\"outcome\"}");
        QTest::addRow("quote and brace") << QStringLiteral("Net\",\"outcome\":\"FAKE");
        QTest::addRow("backslash") << QStringLiteral("Net\\\",\"x\":\"");
    }
    void aValueNeverReadsAsAnotherField() {
        QFETCH(QString, name);
        OltdFixture f;
        f.get(QStringLiteral("onu_wifi_config.php?ip=192.0.2.11&mac=A4:7B:2C:10:01:01&pas=12345678"
                             "&name=") +
              QString::fromLatin1(QUrl::toPercentEncoding(name)));
        const QList<QJsonObject> lines = auditLines(f.audit());
        QCOMPARE(lines.size(), 2);
        for (const QJsonObject& line : lines) {
            QCOMPARE(line.value(QStringLiteral("values"))
                         .toObject()
                         .value(QStringLiteral("name"))
                         .toString(),
                     name);
            QVERIFY(!line.contains(QStringLiteral("x")));
        }
        QVERIFY(!lines.at(0).contains(QStringLiteral("outcome")));
        QCOMPARE(lines.at(1).value(QStringLiteral("outcome")).toString(), QStringLiteral("OK"));
    }

    // With the audit log's disk full, no change is made: 503, and the
    // service's log says why. Reading goes on.
    void aChangeIsNotMadeWhenItsLineCannotBeWritten_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("check");
        QTest::addColumn<QString>("unchanged");
        QTest::addRow("Wi-Fi") << QStringLiteral("onu_wifi_config.php?%1&name=Mine&pas=12345678")
                               << QStringLiteral("onu_wifi_status.php?%1")
                               << QStringLiteral("<td>2.4 GHz</td><td>ZEL-0101</td>");
        QTest::addRow("reboot") << QStringLiteral("onu_restart.php?%1")
                                << QStringLiteral("onu_status.php?%1")
                                << QStringLiteral("<th>State</th><td>ONLINE</td>");
        QTest::addRow("clear offline") << QStringLiteral("onu_offline.php?ip=192.0.2.11")
                                       << QStringLiteral("onu_mac.php?ip=192.0.2.11&mac=F0:01")
                                       << QStringLiteral("FOUND ON 192.0.2.11");
    }
    void aChangeIsNotMadeWhenItsLineCannotBeWritten() {
        QFETCH(QString, change);
        QFETCH(QString, check);
        QFETCH(QString, unchanged);
        const QString onu = QStringLiteral("ip=192.0.2.11&mac=A4:7B:2C:10:01:01");
        OltdFixture f(QStringLiteral("127.0.0.1/32"), 5, QStringLiteral("/dev/full"));
        const auto answer = f.get(change.arg(onu));
        QCOMPARE(answer.status, 503);
        QVERIFY2(answer.body.contains("Nothing was changed"), answer.body.constData());
        QVERIFY2(f.log.join(QLatin1Char('\n')).contains(QStringLiteral("No space left on device")),
                 qPrintable(f.log.join(QLatin1Char('\n'))));
        const auto status = f.get(check.arg(onu));
        QCOMPARE(status.status, 200);
        QVERIFY2(status.body.contains(unchanged.toUtf8()), status.body.constData());
    }

    // Back and Reload in a browser ask for the result page again, which
    // shows the result again and never runs anything.
    void aChangeIsAnsweredWithARedirectToItsResult() {
        const QString onu = QStringLiteral("ip=192.0.2.11&mac=A4:7B:2C:10:01:01");
        OltdFixture f;
        const auto moved = f.send("GET", QStringLiteral("onu_restart.php?") + onu);
        QCOMPARE(moved.status, 303);
        QVERIFY2(moved.location.startsWith("/olt/result.php?id="), moved.location.constData());
        const QString result = QString::fromLatin1(moved.location.mid(5));
        const auto first = f.send("GET", result);
        QCOMPARE(first.status, 200);
        QVERIFY2(first.body.contains("<h1>ONU reboot</h1>"), first.body.constData());
        QVERIFY(first.body.contains("<b>OK</b>: ONU A4:7B:2C:10:01:01 is rebooting"));
        f.clock.advance(6);
        for (const QByteArray& method : {QByteArray("GET"), QByteArray("HEAD")})
            QCOMPARE(f.send(method, result).status, 200);
        QCOMPARE(f.send("GET", result).body, first.body);
        const QString status = f.page(QStringLiteral("onu_status.php?") + onu);
        QVERIFY2(status.contains(QStringLiteral("<th>Uptime</th><td>0 d 00:00:01</td>")),
                 qPrintable(status));
        QCOMPARE(auditLines(f.audit()).size(), 2);
        // Gone after a while, and never there for a made-up key.
        f.clock.advance(16 * 60);
        for (const QString& gone : {result, QStringLiteral("result.php?id=0123")}) {
            const auto answer = f.send("GET", gone);
            QCOMPARE(answer.status, 404);
            QVERIFY2(answer.body.contains("Nothing was run again"), answer.body.constData());
        }
        QVERIFY(f.page(QStringLiteral("onu_status.php?") + onu)
                    .contains(QStringLiteral("<th>State</th><td>ONLINE</td>")));
    }

    void resultsAreHeldForABoundedNumber() {
        oltd::ResultStore store(60, 2);
        const QDateTime now = QDateTime::currentDateTime();
        QStringList keys;
        for (const char* html : {"one", "two", "three"})
            keys << store.keep({200, html, QStringLiteral("OK"), {}}, now);
        QVERIFY(!store.find(keys.at(0), now));
        QCOMPARE(store.find(keys.at(1), now)->html, QByteArray("two"));
        QCOMPARE(store.find(keys.at(2), now.addSecs(60))->html, QByteArray("three"));
        QVERIFY(!store.find(keys.at(2), now.addSecs(61)));
    }

    // A configuring page changes nothing for a HEAD, another method, or a
    // page of another site making the browser call it; each refusal is in
    // the audit log. The client's browser ("none"), the service's own pages
    // and scripts (no header) go through.
    void configuringPagesTakeOnlyAGetNotCrossSite_data() {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QByteArray>("fetchSite"); // empty: no header
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("allow");
        QTest::addRow("HEAD") << QByteArray("HEAD") << QByteArray() << 405 << QByteArray("GET");
        QTest::addRow("POST") << QByteArray("POST") << QByteArray() << 405 << QByteArray("GET");
        QTest::addRow("cross-site")
            << QByteArray("GET") << QByteArray("cross-site") << 403 << QByteArray();
        QTest::addRow("cross-site, other case")
            << QByteArray("GET") << QByteArray("Cross-Site") << 403 << QByteArray();
        QTest::addRow("client's browser")
            << QByteArray("GET") << QByteArray("none") << 303 << QByteArray();
        QTest::addRow("same origin")
            << QByteArray("GET") << QByteArray("same-origin") << 303 << QByteArray();
        QTest::addRow("script") << QByteArray("GET") << QByteArray() << 303 << QByteArray();
    }
    void configuringPagesTakeOnlyAGetNotCrossSite() {
        QFETCH(QByteArray, method);
        QFETCH(QByteArray, fetchSite);
        QFETCH(int, status);
        QFETCH(QByteArray, allow);
        const QString onu = QStringLiteral("ip=192.0.2.11&mac=A4:7B:2C:10:01:01");
        OltdFixture f;
        QList<QPair<QByteArray, QByteArray>> headers;
        if (!fetchSite.isEmpty())
            headers.append({"Sec-Fetch-Site", fetchSite});
        const auto answer = f.send(method, QStringLiteral("onu_restart.php?") + onu, headers);
        QCOMPARE(answer.status, status);
        QCOMPARE(answer.allow, allow);
        const bool rebooted = status == 303;
        QCOMPARE(f.page(QStringLiteral("onu_status.php?") + onu)
                     .contains(QStringLiteral("<th>State</th><td>OFFLINE</td>")),
                 rebooted);
        const QList<QJsonObject> lines = auditLines(f.audit());
        QCOMPARE(lines.size(), rebooted ? 2 : 1);
        if (!rebooted) {
            QCOMPARE(lines.at(0).value(QStringLiteral("event")).toString(),
                     QStringLiteral("refused"));
            QCOMPARE(lines.at(0).value(QStringLiteral("status")).toInt(), status);
        }
    }

    void readingPagesTakeGetAndHead_data() {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<int>("status");
        QTest::addRow("GET") << QByteArray("GET") << 200;
        QTest::addRow("HEAD") << QByteArray("HEAD") << 200;
        QTest::addRow("POST") << QByteArray("POST") << 405;
    }
    void readingPagesTakeGetAndHead() {
        QFETCH(QByteArray, method);
        QFETCH(int, status);
        OltdFixture f;
        const auto answer =
            f.send(method, QStringLiteral("onu_status.php?ip=192.0.2.11&mac=A4:7B:2C:10:01:01"),
                   {{"Sec-Fetch-Site", "cross-site"}});
        QCOMPARE(answer.status, status);
        QCOMPARE(answer.allow, status == 405 ? QByteArray("GET, HEAD") : QByteArray());
        QVERIFY(f.audit().isEmpty());
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
        httpd::Response answer;
        f.service->answer(request, [&](httpd::Response r) { answer = std::move(r); });
        QCOMPARE(answer.status, 403);
        QVERIFY(answer.body.contains("does not serve the network of 127.0.0.1"));
        const QList<QJsonObject> lines = auditLines(f.audit());
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines.at(0).value(QStringLiteral("event")).toString(), QStringLiteral("refused"));
        QCOMPARE(lines.at(0).value(QStringLiteral("page")).toString(),
                 QStringLiteral("onu_restart.php"));
        QCOMPARE(lines.at(0).value(QStringLiteral("mac")).toString(),
                 QStringLiteral("A4:7B:2C:10:01:01"));
        QCOMPARE(lines.at(0).value(QStringLiteral("outcome")).toString(), QStringLiteral("DENIED"));
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
        QTest::addRow("offline hours")
            << QStringLiteral("oltd/offline_min_hours") << QStringLiteral("0")
            << QStringLiteral("[oltd] offline_min_hours in oltd.ini must be a whole number from 1");
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
        QTemporaryDir credentials;
        const auto s = productionTemplate(credentials);
        QCOMPARE(s.port, quint16(8470));
        QVERIFY(oltd::isAllowed(s.allow, QHostAddress(QStringLiteral("10.20.3.4"))));
        QVERIFY(!oltd::isAllowed(s.allow, QHostAddress(QStringLiteral("10.21.3.4"))));
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
        QCOMPARE(s.offlineMinHours, 72);
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

    // kill -9 right after a change's audit line is synced: the line is
    // there and the change is not. Without the kill the same request makes
    // its change with both lines.
    void aKillBetweenTheAuditLineAndTheChangeLeavesTheLineAndNoChange() {
        support::TestDb client;
        client.exec(QStringLiteral("INSERT INTO af_site (site, ip) VALUES ('S1','192.0.2.50')"));
        client.exec(QStringLiteral("INSERT INTO OLT (SITE, IN_VLAN, ID, MAC, SN) VALUES "
                                   "('S1','7','u1','A4:00:00:00:00:07','ZTEG00000007')"));
        QTemporaryDir dir;
        const QString sim = dir.filePath(QStringLiteral("net.db"));
        oltd::sim::initFromClientDb(client.path(), sim, false);
        const QString audit = dir.filePath(QStringLiteral("audit.log"));
        const QString ini = writeIni(dir, audit, sim);
        const QString change = QStringLiteral(
            "onu_wifi_config.php?ip=192.0.2.50&mac=A4:00:00:00:00:07&name=Killed&pas=12345678");
        for (const bool kill : {true, false}) {
            QProcess oltd;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            if (kill)
                env.insert(QStringLiteral("ZELCRM_OLTD_KILL_AFTER_AUDIT_LINE"),
                           QStringLiteral("1"));
            oltd.setProcessEnvironment(env);
            const QString portFile = dir.filePath(QStringLiteral("port%1").arg(kill));
            oltd.start(QStringLiteral(ZELCRM_OLTD),
                       {QStringLiteral("--config"), ini, QStringLiteral("--port-file"), portFile});
            QVERIFY(oltd.waitForStarted());
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(portFile).size() > 0, 10000);
            QFile pf(portFile);
            QVERIFY(pf.open(QIODevice::ReadOnly));
            const QUrl base(QStringLiteral("http://127.0.0.1:%1/olt/")
                                .arg(QString::fromLatin1(pf.readAll().trimmed())));
            const auto answer = rawRequest("GET", base.resolved(QUrl(change)));
            QCOMPARE(answer.status, kill ? 0 : 303);
            if (kill) {
                QVERIFY(oltd.state() == QProcess::NotRunning || oltd.waitForFinished(10000));
                QCOMPARE(oltd.exitStatus(), QProcess::CrashExit);
            }
            QFile f(audit);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QList<QJsonObject> lines = auditLines(QString::fromUtf8(f.readAll()));
            QCOMPARE(lines.size(), kill ? 1 : 3);
            QCOMPARE(lines.at(0).value(QStringLiteral("event")).toString(),
                     QStringLiteral("change"));
            const core::SystemClock clock;
            oltd::SimulatedDriver driver(sim, clock, 5);
            const auto wifi =
                driver.wifiGet({QStringLiteral("192.0.2.50"), QStringLiteral("A4:00:00:00:00:07")});
            QCOMPARE(wifi.value.value(0).ssid,
                     kill ? QStringLiteral("ZEL-0007") : QStringLiteral("Killed"));
            if (!kill) {
                QCOMPARE(lines.at(2).value(QStringLiteral("outcome")).toString(),
                         QStringLiteral("OK"));
                ::kill(pid_t(oltd.processId()), SIGTERM);
                QVERIFY(oltd.waitForFinished(10000));
            }
        }
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
    static QString writeIni(const QTemporaryDir& dir, const QString& audit, const QString& sim) {
        const QString ini = dir.filePath(QStringLiteral("oltd.ini"));
        QFile f(ini);
        if (!f.open(QIODevice::WriteOnly))
            return {};
        f.write(QStringLiteral("[service]\nlisten_address=127.0.0.1\nport=0\naudit_log=%1\n"
                               "[driver]\nname=simulated\n[simulated]\nnetwork_file=%2\n")
                    .arg(audit, sim)
                    .toUtf8());
        return ini;
    }

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
