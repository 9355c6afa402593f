#include "core/clock.h"
#include "httpd/raw_client.h"
#include "oltd/devices.h"
#include "oltd/host_key.h"
#include "oltd/service.h"
#include "oltd_fixture.h"
#include "support/olt_inventory.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kZteMac = QStringLiteral("C8:3A:35:7E:21:09"); // online, PPPoE, zte-c320.json
const QString kHuaweiMac =
    QStringLiteral("E0:A3:AC:5F:01:18"); // online, PPPoE, huawei-ma5608t.json

QByteArray get(const QString& pageAndQuery) {
    return "GET /olt/" + pageAndQuery.toUtf8() + " HTTP/1.1\r\nHost: t\r\n\r\n";
}

// zelcrm-oltd in process, in front of emulated OLTs inventoried with the
// real drivers.
struct Olts {
    QTemporaryDir dir;
    core::SystemClock clock;
    oltd::ServiceSettings settings;
    std::vector<std::unique_ptr<oltemu::OltEmulator>> emulators;
    std::vector<QJsonObject> states;
    std::unique_ptr<oltd::OltService> service;
    QStringList log;
    quint16 port = 0;

    Olts() {
        settings.listenAddress = QHostAddress::LocalHost;
        settings.allow = {{QHostAddress::LocalHost, 8}};
        settings.auditLog = dir.filePath(QStringLiteral("audit.log"));
    }
    // Adds an emulator of the state as the OLT `ip`; returns it.
    oltemu::OltEmulator& add(const QString& ip, const QString& stateFile,
                             oltd::TransportKind transport = oltd::TransportKind::Ssh,
                             const QJsonObject& changes = {}) {
        states.push_back(support::emulatorState(stateFile, changes));
        emulators.push_back(support::startOltEmulator(states.back(), dir.path()));
        settings.inventory.olts.append(
            support::emulatedOlt(ip, *emulators.back(), states.back(), dir.path(), transport));
        return *emulators.back();
    }
    oltd::OltEntry& entry(int i) { return settings.inventory.olts[i]; }
    bool start() {
        service = std::make_unique<oltd::OltService>(settings, settings.inventory,
                                                     oltd::deviceMaker(settings, clock), clock,
                                                     [this](const QString& line) { log << line; });
        port = service->start();
        return port != 0;
    }
    RawClient::Answer answer(const QString& pageAndQuery) {
        RawClient client(port);
        client.send(get(pageAndQuery));
        return client.answers(1, 60000).value(0);
    }
    // A change's redirect followed to its result.
    RawClient::Answer change(const QString& pageAndQuery) {
        RawClient::Answer a = answer(pageAndQuery);
        const qsizetype at = a.head.indexOf("Location: /olt/");
        if (a.status != 303 || at < 0)
            return a;
        const QByteArray location = a.head.mid(at + 15, a.head.indexOf('\r', at) - at - 15);
        return answer(QString::fromUtf8(location));
    }
    QString audit() const {
        QFile f(settings.auditLog);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
};

} // namespace

class TestOltdOlts : public QObject {
    Q_OBJECT

private slots:
    // One OLT's requests wait for its one command line; past the queue's
    // depth they are turned away at once, with when to come back.
    void aFullQueueIsAnsweredBusy() {
        Olts olts;
        olts.settings.queueDepth = 1;
        oltemu::OltEmulator& olt =
            olts.add(QStringLiteral("10.40.1.1"), QStringLiteral("zte-c320.json"));
        QVERIFY(olts.start());
        olt.faults().delayMs = 400;
        const QString status = QStringLiteral("onu_status.php?ip=10.40.1.1&mac=") + kZteMac;
        RawClient first(olts.port);
        first.send(get(status));
        QVERIFY(QTest::qWaitFor([&] { return olt.activeSessions() == 1; }, 20000));
        RawClient second(olts.port), third(olts.port);
        second.send(get(status));
        third.send(get(status));
        QList<RawClient::Answer> later{second.answers(1, 60000).value(0),
                                       third.answers(1, 60000).value(0)};
        QCOMPARE(first.answers(1, 60000).value(0).status, 200);
        std::sort(later.begin(), later.end(),
                  [](const auto& a, const auto& b) { return a.status < b.status; });
        QCOMPARE(later.at(0).status, 200);
        QCOMPARE(later.at(1).status, 503);
        QVERIFY(later.at(1).head.contains("Retry-After: 5"));
        QVERIFY(bodyText(later.at(1).body).contains(QStringLiteral("BUSY")));
        QCOMPARE(olt.activeSessions(), 1);
    }

    // An OLT that stops answering holds up its own requests alone.
    void aHangingOltHoldsUpNoOther() {
        Olts olts;
        oltemu::OltEmulator& stuck =
            olts.add(QStringLiteral("10.40.1.1"), QStringLiteral("zte-c320.json"));
        olts.add(QStringLiteral("10.40.2.1"), QStringLiteral("huawei-ma5608t.json"));
        olts.entry(0).target.commandTimeout = std::chrono::seconds(3);
        QVERIFY(olts.start());
        stuck.faults().delayMs = 30000;
        RawClient waiting(olts.port);
        waiting.send(get(QStringLiteral("onu_status.php?ip=10.40.1.1&mac=") + kZteMac));
        QVERIFY(QTest::qWaitFor([&] { return stuck.activeSessions() == 1; }, 20000));
        const auto other =
            olts.answer(QStringLiteral("onu_status.php?ip=10.40.2.1&mac=") + kHuaweiMac);
        QCOMPARE(other.status, 200);
        QVERIFY(waiting.received().isEmpty());
        const auto late = waiting.answers(1, 60000).value(0);
        QVERIFY2(late.status == 504 || late.status == 401 || late.status == 502,
                 late.head.constData());
    }

    // Requests reuse one logged-in command line; one left unused is logged out.
    void aSessionIsReusedThenLoggedOutWhenIdle() {
        Olts olts;
        olts.settings.sessionIdleSeconds = 5;
        oltemu::OltEmulator& olt =
            olts.add(QStringLiteral("10.40.2.1"), QStringLiteral("huawei-ma5608t.json"),
                     oltd::TransportKind::Telnet);
        QVERIFY(olts.start());
        const QString status = QStringLiteral("onu_status.php?ip=10.40.2.1&mac=") + kHuaweiMac;
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(olts.answer(status).status, 200);
            QCOMPARE(olt.activeSessions(), 1);
        }
        QVERIFY(QTest::qWaitFor([&] { return olt.activeSessions() == 0; }, 30000));
        QCOMPARE(olts.answer(status).status, 200);
    }

    // No password reaches a page, the service log or the audit log: not the
    // OLT's login or enable password, not one the operator sets, not one
    // the device echoes.
    void noPasswordLeavesTheService_data() {
        QTest::addColumn<QString>("state");
        QTest::addColumn<int>("transport");
        QTest::addColumn<QString>("mac");
        for (const auto& [name, state, mac] :
             {std::tuple{"ZTE", "zte-c320.json", kZteMac},
              std::tuple{"Huawei", "huawei-ma5608t.json", kHuaweiMac}}) {
            QTest::addRow("%s over SSH", name)
                << QString::fromLatin1(state) << int(oltd::TransportKind::Ssh) << mac;
            QTest::addRow("%s over telnet", name)
                << QString::fromLatin1(state) << int(oltd::TransportKind::Telnet) << mac;
        }
    }
    void noPasswordLeavesTheService() {
        QFETCH(QString, state);
        QFETCH(int, transport);
        QFETCH(QString, mac);
        Olts olts;
        olts.add(QStringLiteral("10.40.1.1"), state, oltd::TransportKind(transport),
                 {{QStringLiteral("password"), QStringLiteral("Login-Secret-7")},
                  {QStringLiteral("enablePassword"), QStringLiteral("Enable-Secret-8")},
                  {QStringLiteral("privileged"), false}});
        QVERIFY(olts.start());
        const QString olt = QStringLiteral("ip=10.40.1.1&mac=") + mac;
        QList<RawClient::Answer> pages{
            olts.change(QStringLiteral("onu_wan_config.php?%1&bb_id=sec.test&bb_inner_vlan=2105"
                                       "&bb_pas=Wan-Secret-9&bb_mtu=1492")
                            .arg(olt)),
            olts.change(QStringLiteral("onu_wifi_config.php?%1&name=Secret_Net&pas=Wifi-Secret-10")
                            .arg(olt)),
            olts.answer(QStringLiteral("onu_wan_status.php?") + olt),
            olts.answer(QStringLiteral("onu_wifi_status.php?") + olt)};
        QString everything = olts.log.join(QLatin1Char('\n')) + olts.audit();
        for (const auto& page : pages)
            everything += QString::fromUtf8(page.head + page.body);
        QVERIFY2(everything.contains(QStringLiteral("sec.test")), "the WAN page ran");
        for (const QString& secret :
             {QStringLiteral("Login-Secret-7"), QStringLiteral("Enable-Secret-8"),
              QStringLiteral("Wan-Secret-9"), QStringLiteral("Wifi-Secret-10")})
            QVERIFY2(
                !everything.contains(secret),
                qPrintable(
                    secret + QStringLiteral(" in: ") +
                    everything.mid(std::max<qsizetype>(0, everything.indexOf(secret) - 300), 400)));
    }

    // Clearing offline ONUs removes those the OLT never showed a MAC for
    // (named by place and serial), and leaves the online ones.
    void clearingOfflineRemovesOnusWithoutAKnownMac_data() {
        QTest::addColumn<QString>("state");
        QTest::addColumn<int>("transport");
        QTest::addColumn<QStringList>("offline");
        QTest::addColumn<QString>("online");
        QTest::addRow("ZTE over SSH")
            << QStringLiteral("zte-c320.json") << int(oltd::TransportKind::Ssh)
            << QStringList{QStringLiteral("ZTEGC0FFEE02"), QStringLiteral("ZTEGC0FFEE03")}
            << QStringLiteral("ZTEGC4A7D19E");
        QTest::addRow("Huawei over telnet")
            << QStringLiteral("huawei-ma5608t.json") << int(oltd::TransportKind::Telnet)
            << QStringList{QStringLiteral("HWTC12F0D6E5")} << QStringLiteral("HWTC771A0B3C");
    }
    void clearingOfflineRemovesOnusWithoutAKnownMac() {
        QFETCH(QString, state);
        QFETCH(int, transport);
        QFETCH(QStringList, offline);
        QFETCH(QString, online);
        Olts olts;
        olts.settings.offlineMinHours = 24;
        oltemu::OltEmulator& olt =
            olts.add(QStringLiteral("10.40.1.1"), state, oltd::TransportKind(transport));
        QVERIFY(olts.start());
        const auto page = olts.change(QStringLiteral("onu_offline.php?ip=10.40.1.1"));
        QVERIFY2(page.status == 200, page.body.constData());
        const auto lock = olt.state().lock();
        for (const QString& serial : offline)
            QVERIFY2(!olt.state().findBySerial(serial), qPrintable(serial));
        QVERIFY(olt.state().findBySerial(online));
    }

    // What a device prints reaches the page as text, never as markup.
    void aDevicesTextIsEscaped() {
        QJsonObject state = support::emulatorState(QStringLiteral("zte-c320.json"));
        QJsonArray onus = state.value(QStringLiteral("onus")).toArray();
        QJsonObject first = onus.at(0).toObject();
        QJsonObject wan = first.value(QStringLiteral("wan")).toObject();
        wan.insert(QStringLiteral("user"), QStringLiteral("kr<b>0417</b>&x"));
        first.insert(QStringLiteral("wan"), wan);
        onus.replace(0, first);
        Olts olts;
        olts.add(QStringLiteral("10.40.1.1"), QStringLiteral("zte-c320.json"),
                 oltd::TransportKind::Ssh, {{QStringLiteral("onus"), onus}});
        QVERIFY(olts.start());
        const auto page =
            olts.answer(QStringLiteral("onu_wan_status.php?ip=10.40.1.1&mac=") + kZteMac);
        QCOMPARE(page.status, 200);
        QVERIFY2(page.body.contains("kr&lt;b&gt;0417&lt;/b&gt;&amp;x"), page.body.constData());
        QVERIFY(!page.body.contains("<b>0417"));
    }

    // What zelcrm-oltd host-key prints for an engineer to pin is the key
    // the OLT serves, also when only the legacy algorithms are offered.
    void theHostKeyToPinIsTheServersOwn() {
        QTemporaryDir keys;
        for (const bool legacy : {false, true}) {
            oltemu::EmulatorOptions o;
            o.stateJson =
                QJsonDocument(support::emulatorState(QStringLiteral("zte-c320.json"))).toJson();
            o.hostKeyDir = keys.path();
            o.telnet = false;
            o.legacySsh = legacy;
            oltemu::OltEmulator olt(o);
            QString error;
            QVERIFY2(olt.start(&error), qPrintable(error));
            QCOMPARE(oltd::sshHostKeyFingerprint(QStringLiteral("127.0.0.1"), olt.sshPort(), legacy,
                                                 &error),
                     oltemu::hostKeySha256(keys.path()));
        }
    }

    // A host key other than the pinned one is refused, and the page says so.
    void aChangedHostKeyIsRefused() {
        Olts olts;
        oltemu::OltEmulator& olt =
            olts.add(QStringLiteral("10.40.1.1"), QStringLiteral("zte-c320.json"));
        olt.faults().hostKeyChanged = true;
        QVERIFY(olts.start());
        const auto page = olts.answer(QStringLiteral("onu_status.php?ip=10.40.1.1&mac=") + kZteMac);
        const QString text = bodyText(page.body);
        QVERIFY2(text.contains(QStringLiteral("AUTH")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("host key"), Qt::CaseInsensitive), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(TestOltdOlts)
#include "tst_oltd_olts.moc"
