// The Huawei driver end to end: CliSession over real SSH and telnet
// connections to the emulated MA5608T on 127.0.0.1.
#include "oltd/drivers/huawei/huawei_driver.h"
#include "oltd/mac.h"
#include "oltd/session/cli_session.h"

#include <olt_emulator.h>

#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <libssh/libssh.h>

using namespace oltd;
using namespace std::chrono_literals;

namespace {

const QString kPrivileged = QStringLiteral("VLG-MA5608T#");
// ONT 0/1/2:5 (HWTC9C2E71A4), a router ONT whose WAN MAC the OLT learned.
const OnuRef kMehta{QStringLiteral("127.0.0.1"), QStringLiteral("E0:A3:AC:5F:18:D2")};
// ONT 0/1/3:1, a ZTE ONT behind which a router is seen.
const OnuRef kDas{QStringLiteral("127.0.0.1"), QStringLiteral("c8:3a:35:7e:21:10")};
// ONT 0/1/2:9 is down since 2026-12-06 23:05:17 (OLT time); the OLT has no
// MAC for it, so the tests put the one it once had in the index.
const OnuRef kKhan{QStringLiteral("127.0.0.1"), QStringLiteral("00:25:9E:12:F0:D6")};

// One emulated OLT with a session, an index and the driver on it.
struct Olt {
    std::unique_ptr<oltemu::OltEmulator> emulator;
    std::unique_ptr<CliSession> session;
    OnuIndex index;
    std::unique_ptr<HuaweiDriver> driver;
};

bool privileged(const Olt& olt) {
    return !olt.session->isOpen() || olt.session->prompt() == kPrivileged;
}

bool mentions(const Result& r, const QString& text) {
    return r.transcript.join(QLatin1Char('\n')).contains(text) || r.message.contains(text);
}

} // namespace

class TestHuaweiDriver : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void readings_data();
    void readings();
    void settings_data();
    void settings();
    void offlineOnus_data();
    void offlineOnus();
    void codes_data();
    void codes();

private:
    void transports();
    std::unique_ptr<Olt> start(TransportKind kind, std::chrono::milliseconds timeout = 20s);
    QTemporaryDir m_keys;
    QString m_fingerprint;
};

void TestHuaweiDriver::initTestCase() {
    QVERIFY(m_keys.isValid());
    start(TransportKind::Ssh); // makes the host key once
    m_fingerprint = oltemu::hostKeySha256(m_keys.path());
}

std::unique_ptr<Olt> TestHuaweiDriver::start(TransportKind kind,
                                             std::chrono::milliseconds timeout) {
    QFile f(QStringLiteral(OLT_EMULATOR_STATES "/huawei-ma5608t.json"));
    f.open(QIODevice::ReadOnly);
    oltemu::EmulatorOptions o;
    o.stateJson = f.readAll();
    o.hostKeyDir = m_keys.path();
    auto olt = std::make_unique<Olt>();
    olt->emulator = std::make_unique<oltemu::OltEmulator>(o);
    QString error;
    if (!olt->emulator->start(&error))
        qFatal("emulator: %s", qPrintable(error));
    SessionTarget t;
    t.host = QStringLiteral("127.0.0.1");
    t.transport = kind;
    t.port = kind == TransportKind::Ssh ? olt->emulator->sshPort() : olt->emulator->telnetPort();
    t.user = QStringLiteral("noc-oltd");
    t.password = QStringLiteral("oltd-pass");
    t.hostKeySha256 = m_fingerprint;
    t.commandTimeout = timeout;
    olt->session = std::make_unique<CliSession>(huaweiDialect(), t);
    olt->driver =
        std::make_unique<HuaweiDriver>(*olt->session, olt->index, DeviceOptions{QTimeZone(19800)});
    return olt;
}

void TestHuaweiDriver::transports() {
    QTest::addColumn<TransportKind>("transport");
    QTest::addRow("ssh") << TransportKind::Ssh;
    QTest::addRow("telnet") << TransportKind::Telnet;
}

void TestHuaweiDriver::readings_data() {
    transports();
}

// Every reading, values as the OLT shows them; the line is back in
// privileged mode after each and no password shows in a transcript.
void TestHuaweiDriver::readings() {
    QFETCH(TransportKind, transport);
    const auto olt = start(transport);
    HuaweiDriver& d = *olt->driver;
    // An index entry the OLT contradicts (another ONT sits there now) is
    // dropped and the MAC looked up again.
    olt->index.remember(
        {QStringLiteral("0/1/2"), 0, QStringLiteral("HWTC9C2E71A4"), macDigits(kMehta.mac), {}});

    const auto status = d.onuStatus(kMehta);
    QCOMPARE(status.result.message, QStringLiteral("ONU E0:A3:AC:5F:18:D2 is ONLINE"));
    QVERIFY(privileged(*olt));
    QCOMPARE(status.value.port, QStringLiteral("0/1/2:5"));
    QCOMPARE(status.value.serial, QStringLiteral("HWTC9C2E71A4"));
    QCOMPARE(status.value.model, QStringLiteral("EG8141A5"));
    QCOMPARE(status.value.rxPowerDbm, -21.47);
    QCOMPARE(status.value.txPowerDbm, 2.31);
    QCOMPARE(status.value.oltRxPowerDbm, -23.88);
    QCOMPARE(status.value.distanceMetres, 1874);
    QCOMPARE(status.value.lastDownCause, QStringLiteral("dying-gasp"));
    QVERIFY(status.value.uptimeSeconds > 40 * 86400);
    QVERIFY(mentions(status.result, QStringLiteral("display location e0a3-ac5f-18d2")));
    QCOMPARE(olt->index.byMac(QStringLiteral("E0A3AC5F18D2"))->serial,
             QStringLiteral("HWTC9C2E71A4"));

    const auto wan = d.wanGet(kMehta);
    QVERIFY2(wan.result.ok(), qPrintable(wan.result.message));
    QVERIFY(privileged(*olt));
    QCOMPARE(wan.value.mode, QStringLiteral("PPPOE"));
    QCOMPARE(wan.value.user, QStringLiteral("vg0233@zelnet"));
    QCOMPARE(wan.value.password, QStringLiteral("pw0233"));
    QCOMPARE(wan.value.vlan, 2218);
    QVERIFY(!mentions(wan.result, QStringLiteral("pw0233")));
    // The second look-up comes from the index, without the MAC table.
    QVERIFY(!mentions(wan.result, QStringLiteral("display location")));

    const auto voip = d.voipGet(kMehta);
    QVERIFY2(voip.result.ok(), qPrintable(voip.result.message));
    QCOMPARE(voip.value.user, QStringLiteral("01652280417"));
    QCOMPARE(voip.value.password, QStringLiteral("sip0233"));
    QVERIFY(!voip.value.registered);
    QVERIFY(!mentions(voip.result, QStringLiteral("sip0233")));

    const auto wifi = d.wifiGet(kMehta);
    QVERIFY2(wifi.result.ok(), qPrintable(wifi.result.message));
    QCOMPARE(wifi.value.size(), 2);
    QCOMPARE(wifi.value[0].ssid, QStringLiteral("Mehta_WiFi"));
    QCOMPARE(wifi.value[1].band, Band::Ghz5);

    const auto traffic = d.traffic(kMehta);
    QVERIFY2(traffic.result.ok(), qPrintable(traffic.result.message));
    QVERIFY(traffic.value.rxBytes >= 179203118801);
    QVERIFY(traffic.value.txBytes >= 9913005192);
    QVERIFY(privileged(*olt));

    const auto caps = d.capabilities(kMehta);
    QVERIFY(caps.value.omciWan && caps.value.omciWifi && !caps.value.tr069);

    const auto vlan = d.onusByVlan(kMehta.oltIp, 2218);
    QVERIFY2(vlan.result.ok(), qPrintable(vlan.result.message));
    QCOMPARE(vlan.value.size(), 1);
    QCOMPARE(vlan.value[0].port, QStringLiteral("0/1/2:5"));
    QCOMPARE(vlan.value[0].mac, kMehta.mac);
    QCOMPARE(vlan.value[0].state, QStringLiteral("ONLINE"));
    QVERIFY(d.onusByVlan(kMehta.oltIp, 3999).value.isEmpty());
    // An ONT the index does not know yet still shows its serial.
    const auto iyer = d.onusByVlan(kMehta.oltIp, 2217);
    QCOMPARE(iyer.value.size(), 1);
    QCOMPARE(iyer.value[0].serial, QStringLiteral("HWTC771A0B3C"));
    QCOMPARE(iyer.value[0].mac, QString());

    // Trailing octets of a MAC the index has not seen yet, of a serial, and
    // a whole serial in its readable form.
    const auto octets = d.findOnu(kDas.oltIp, QStringLiteral("01:18"), 2);
    QVERIFY2(octets.result.ok(), qPrintable(octets.result.message));
    QCOMPARE(octets.value.size(), 1);
    QCOMPARE(octets.value[0].port, QStringLiteral("0/1/2:0"));
    QCOMPARE(octets.value[0].mac, QStringLiteral("E0:A3:AC:5F:01:18"));
    for (const QString& serial : {QStringLiteral("2E71A4"), QStringLiteral("HWTC-9C2E71A4")}) {
        const auto found = d.findOnu(kMehta.oltIp, serial, 2);
        QCOMPARE(found.value.size(), 1);
        QCOMPARE(found.value[0].port, QStringLiteral("0/1/2:5"));
        QCOMPARE(found.value[0].mac, kMehta.mac);
    }
    QCOMPARE(d.findOnu(kMehta.oltIp, QStringLiteral("FF:FF"), 2).result.code, Code::NotFound);
    QVERIFY(privileged(*olt));

    // A router behind a ZTE ONT: only the MAC table knows it.
    const auto das = d.onuStatus(kDas);
    QCOMPARE(das.value.port, QStringLiteral("0/1/3:1"));
    QCOMPARE(das.value.serial, QStringLiteral("ZTEGC4A7D19E"));
}

void TestHuaweiDriver::settings_data() {
    transports();
}

// Each change is read back from the device before it is reported done.
void TestHuaweiDriver::settings() {
    QFETCH(TransportKind, transport);
    const auto olt = start(transport);
    HuaweiDriver& d = *olt->driver;

    const Result wan = d.wanSet(kMehta, {QStringLiteral("PPPOE"), QStringLiteral("vg0233b@zelnet"),
                                         QStringLiteral("n3w-Secret"), 2218, 1492});
    QVERIFY2(wan.ok(), qPrintable(wan.message));
    QVERIFY(privileged(*olt));
    QVERIFY(!mentions(wan, QStringLiteral("n3w-Secret")));
    const auto read = d.wanGet(kMehta);
    QCOMPARE(read.value.user, QStringLiteral("vg0233b@zelnet"));
    QCOMPARE(read.value.password, QStringLiteral("n3w-Secret"));

    // No service port carries VLAN 3000: refused before anything is sent.
    const Result noPort = d.wanSet(kMehta, {QStringLiteral("PPPOE"), QStringLiteral("u@zelnet"),
                                            QStringLiteral("secret99"), 3000, 0});
    QCOMPARE(noPort.code, Code::DeviceError);
    QVERIFY(noPort.message.contains(QLatin1String("no service port for VLAN 3000")));
    QVERIFY(!mentions(noPort, QStringLiteral("ont ipconfig")));
    QCOMPARE(d.wanGet(kMehta).value.user, QStringLiteral("vg0233b@zelnet"));

    const Result voip =
        d.voipSet(kMehta, {1, QStringLiteral("sip.zelnet"), QStringLiteral("01652999999"),
                           QStringLiteral("ph0ne-Pass"), 0, false});
    QVERIFY2(voip.ok(), qPrintable(voip.message));
    QVERIFY(!mentions(voip, QStringLiteral("ph0ne-Pass")));
    QCOMPARE(d.voipGet(kMehta).value.user, QStringLiteral("01652999999"));
    QVERIFY(privileged(*olt));

    const Result reboot = d.reboot(kMehta);
    QVERIFY2(reboot.ok(), qPrintable(reboot.message));
    QVERIFY(privileged(*olt));
    QCOMPARE(d.onuStatus(kMehta).value.state, QStringLiteral("OFFLINE"));
}

void TestHuaweiDriver::offlineOnus_data() {
    transports();
}

// Offline ONTs by their age on the OLT's own clock, whatever ours says; one
// is removed only while it is still down long enough.
void TestHuaweiDriver::offlineOnus() {
    QFETCH(TransportKind, transport);
    const auto olt = start(transport);
    HuaweiDriver& d = *olt->driver;
    olt->index.remember(
        {QStringLiteral("0/1/2"), 9, QStringLiteral("HWTC12F0D6E5"), macDigits(kKhan.mac), {}});
    // The ONT has been down 2 days and almost 18 hours by the OLT's clock.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const auto recent = d.offlineList(kKhan.oltIp, now.addSecs(-48 * 3600));
    QVERIFY2(recent.result.ok(), qPrintable(recent.result.message));
    QCOMPARE(recent.value.size(), 1);
    QCOMPARE(recent.value[0].port, QStringLiteral("0/1/2:9"));
    QCOMPARE(recent.value[0].mac, kKhan.mac);
    QCOMPARE(recent.value[0].state, QStringLiteral("LOS"));
    QCOMPARE(recent.value[0].downCause, QStringLiteral("LOSi/LOBi"));
    QVERIFY(d.offlineList(kKhan.oltIp, now.addSecs(-72 * 3600)).value.isEmpty());

    const Result kept = d.onuDelete(kKhan, now.addSecs(-72 * 3600));
    QCOMPARE(kept.code, Code::DeviceError);
    QVERIFY(!mentions(kept, QStringLiteral("undo service-port")));
    const Result online = d.onuDelete(kMehta, now.addSecs(-48 * 3600));
    QCOMPARE(online.code, Code::DeviceError);

    const Result removed = d.onuDelete(kKhan, now.addSecs(-48 * 3600));
    QVERIFY2(removed.ok(), qPrintable(removed.message));
    QVERIFY(privileged(*olt));
    QVERIFY(!olt->index.byMac(macDigits(kKhan.mac)));
    QCOMPARE(d.onuStatus(kKhan).result.code, Code::NotFound);
    auto guard = olt->emulator->state().lock();
    QVERIFY(!olt->emulator->state().find(0, 1, 2, 9));
}

void TestHuaweiDriver::codes_data() {
    QTest::addColumn<TransportKind>("transport");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<Code>("code");
    QTest::addColumn<QString>("message");
    const auto rows = [](TransportKind kind, const char* name) {
        const auto row = [&](const char* what, const char* setup, const char* op, Code code,
                             const char* message) {
            QTest::addRow("%s %s", name, what)
                << kind << QString::fromLatin1(setup) << QString::fromLatin1(op) << code
                << QString::fromLatin1(message);
        };
        row("unknown MAC", "", "status-unknown", Code::NotFound,
            "No ONU with MAC 02:00:00:00:00:01 on OLT 127.0.0.1");
        row("offline ONT", "khan", "reboot-khan", Code::Offline, "is offline (LOSi/LOBi)");
        row("other vendor's ONT", "", "reset-das", Code::Unsupported, "can not support");
        row("no wlan-config on this firmware", "", "wifi-set", Code::Unsupported, "from the ACS");
        row("TR-069 ONT, set", "acs", "wan-set", Code::NeedsAcs, "TR-069");
        row("TR-069 ONT, get", "acs", "wan-get", Code::NeedsAcs, "TR-069");
        row("wrong password", "wrong-password", "status", Code::Auth, "");
        row("no answer", "delay", "status", Code::Timeout, "");
        row("garbled answers", "garble", "status", Code::DeviceError, "not understood");
        row("device error text", "bad-index", "status", Code::DeviceError, "% Parameter error");
    };
    rows(TransportKind::Ssh, "ssh");
    rows(TransportKind::Telnet, "telnet");
}

// Every code a driver answers with, and the line left usable after it.
void TestHuaweiDriver::codes() {
    QFETCH(TransportKind, transport);
    QFETCH(QString, setup);
    QFETCH(QString, operation);
    const auto olt = start(transport, setup == QLatin1String("delay") ? 1500ms : 20000ms);
    HuaweiDriver& d = *olt->driver;
    oltemu::Faults& faults = olt->emulator->faults();
    if (setup == QLatin1String("khan"))
        olt->index.remember(
            {QStringLiteral("0/1/2"), 9, QStringLiteral("HWTC12F0D6E5"), macDigits(kKhan.mac), {}});
    if (setup == QLatin1String("acs"))
        QVERIFY(olt->emulator->state().setAcsOnly(QStringLiteral("HWTC9C2E71A4"), true));
    if (setup == QLatin1String("bad-index"))
        olt->index.remember({QStringLiteral("0/1/2"),
                             200,
                             QStringLiteral("HWTC9C2E71A4"),
                             macDigits(kMehta.mac),
                             {}});
    faults.wrongPassword = setup == QLatin1String("wrong-password");
    faults.delayMs = setup == QLatin1String("delay") ? 4000 : 0;
    // Garbling starts after the login: the session must come up first.
    if (setup == QLatin1String("garble")) {
        QVERIFY(olt->session->open().ok());
        faults.garble = true;
    }

    Result r;
    if (operation == QLatin1String("status-unknown"))
        r = d.onuStatus({kMehta.oltIp, QStringLiteral("02-00-00-00-00-01")}).result;
    else if (operation == QLatin1String("status"))
        r = d.onuStatus(kMehta).result;
    else if (operation == QLatin1String("reboot-khan"))
        r = d.reboot(kKhan);
    else if (operation == QLatin1String("reset-das"))
        r = d.factoryReset(kDas);
    else if (operation == QLatin1String("wifi-set"))
        r = d.wifiSet(kMehta,
                      {Band::Ghz24, QStringLiteral("Mehta_Home"), QStringLiteral("wifi-Secret1")});
    else if (operation == QLatin1String("wan-set"))
        r = d.wanSet(kMehta, {QStringLiteral("PPPOE"), QStringLiteral("x@zelnet"),
                              QStringLiteral("secret99"), 2218, 0});
    else if (operation == QLatin1String("wan-get"))
        r = d.wanGet(kMehta).result;
    QFETCH(Code, code);
    QFETCH(QString, message);
    QVERIFY2(r.code == code, qPrintable(codeName(r.code) + QLatin1Char(' ') + r.message));
    QVERIFY2(r.message.contains(message), qPrintable(r.message));
    QVERIFY(privileged(*olt));
    QVERIFY(!mentions(r, QStringLiteral("wifi-Secret1")));

    // Once the fault is gone the next request works on the same line.
    faults.garble = false;
    faults.delayMs = 0;
    faults.wrongPassword = false;
    if (setup != QLatin1String("bad-index") && setup != QLatin1String("acs")) {
        const auto again = d.onuStatus(kMehta);
        QVERIFY2(again.result.ok(), qPrintable(again.result.message));
    }
}

QTEST_GUILESS_MAIN(TestHuaweiDriver)
#include "tst_huawei_driver.moc"
