// The ZTE driver through a real CliSession against the emulated C320, over
// SSH and telnet on 127.0.0.1.
#include "oltd/drivers/zte/zte_driver.h"
#include "oltd/mac.h"
#include "oltd/session/cli_session.h"

#include "support/olt_inventory.h"

#include <olt_emulator.h>

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <libssh/libssh.h>

using namespace oltd;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(oltd::Code)
Q_DECLARE_METATYPE(oltd::TransportKind)

namespace {

// Subscribers of the demo OLT (tests/support/olt_emulator/states/zte-c320.json).
const QString kOlt = QStringLiteral("127.0.0.1");
const OnuRef kBansal{kOlt, QStringLiteral("C8:3A:35:7E:21:09")}; // 1/2/3:7, router, online
const OnuRef kIyer{kOlt, QStringLiteral("C8:3A:35:00:01:01")};   // 1/2/3:1, router, online
const OnuRef kKhan{kOlt, QStringLiteral("00:11:22:33:44:55")};   // 1/2/3:2, bridge, LOS
const OnuRef kRao{kOlt, QStringLiteral("C8:3A:35:00:03:03")};    // 1/2/3:3, dying gasp

// One emulated OLT with a session and a driver on it.
struct Olt {
    std::unique_ptr<oltemu::OltEmulator> emulator;
    std::unique_ptr<CliSession> session;
    OnuIndex index;
    std::unique_ptr<ZteDriver> driver;

    oltemu::Faults& faults() { return emulator->faults(); }
    bool inExec() const { return session->prompt() == QLatin1String("KRN-C320#"); }
    // The driver has seen these MACs before (they are not in the tables
    // while the ONU is down).
    void seen(const QString& port, int id, const QString& serial, const OnuRef& onu) {
        index.remember({port, id, serial, macDigits(onu.mac), QDateTime::currentDateTimeUtc()});
    }
};

bool contains(const QStringList& lines, const QString& text) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const QString& l) { return l.contains(text); });
}

} // namespace

class TestZteDriver : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void readsTheOnu_data();
    void readsTheOnu();
    void settingsAreReadBack();
    void answerCodes_data();
    void answerCodes();
    void contradictedIndexIsSearchedAgain();
    void findsByMacOctetsAndSerial();
    void offlineOnusListedAndRemoved();
    void rebootAndResetAnswerTheQuestion();

private:
    std::unique_ptr<Olt> start(TransportKind kind = TransportKind::Telnet,
                               const QJsonObject& changes = {},
                               std::chrono::milliseconds timeout = 10s);
    QTemporaryDir m_keys;
    QString m_fingerprint;
};

void TestZteDriver::initTestCase() {
    QVERIFY(m_keys.isValid());
    start(TransportKind::Ssh); // makes the host key once
    m_fingerprint = oltemu::hostKeySha256(m_keys.path());
}

std::unique_ptr<Olt> TestZteDriver::start(TransportKind kind, const QJsonObject& changes,
                                          std::chrono::milliseconds timeout) {
    oltemu::EmulatorOptions o;
    o.stateJson =
        QJsonDocument(support::emulatorState(QStringLiteral("zte-c320.json"), changes)).toJson();
    o.hostKeyDir = m_keys.path();
    auto olt = std::make_unique<Olt>();
    olt->emulator = std::make_unique<oltemu::OltEmulator>(o);
    QString error;
    if (!olt->emulator->start(&error))
        qFatal("emulator: %s", qPrintable(error));
    SessionTarget t;
    t.host = kOlt;
    t.transport = kind;
    t.port = kind == TransportKind::Ssh ? olt->emulator->sshPort() : olt->emulator->telnetPort();
    t.user = QStringLiteral("noc-oltd");
    t.password = QStringLiteral("oltd-pass");
    t.enablePassword = QStringLiteral("zxr10");
    t.hostKeySha256 = m_fingerprint;
    t.loginTimeout = timeout;
    t.commandTimeout = timeout;
    olt->session = std::make_unique<CliSession>(zteDialect(), t);
    olt->driver = std::make_unique<ZteDriver>(*olt->session, olt->index,
                                              DeviceOptions{QTimeZone("Asia/Kolkata")});
    return olt;
}

void TestZteDriver::readsTheOnu_data() {
    QTest::addColumn<TransportKind>("transport");
    QTest::addRow("ssh") << TransportKind::Ssh;
    QTest::addRow("telnet") << TransportKind::Telnet;
}

void TestZteDriver::readsTheOnu() {
    QFETCH(TransportKind, transport);
    auto olt = start(transport);
    ZteDriver& d = *olt->driver;

    const auto status = d.onuStatus(kBansal);
    QVERIFY2(status.result.ok(), qPrintable(status.result.message));
    const OnuStatus& s = status.value;
    QCOMPARE(s.state, QStringLiteral("ONLINE"));
    QCOMPARE(s.port, QStringLiteral("1/2/3:7"));
    QCOMPARE(s.serial, QStringLiteral("ZTEGC4A7D19E"));
    QCOMPARE(s.model, QStringLiteral("F670L"));
    QCOMPARE(s.rxPowerDbm, -18.977);
    QCOMPARE(s.txPowerDbm, 2.104);
    QCOMPARE(s.oltRxPowerDbm, -22.815);
    QCOMPARE(s.distanceMetres, 2874);
    QVERIFY(s.uptimeSeconds > 1000 * 3600);
    QCOMPARE(s.lastDownCause, QStringLiteral("DYING-GASP"));
    // The MAC came from the OLT's tables and is kept for the next request.
    QCOMPARE(olt->index.byMac(QStringLiteral("C83A357E2109"))->onuId, 7);

    const auto wan = d.wanGet(kBansal);
    QVERIFY2(wan.result.ok(), qPrintable(wan.result.message));
    QCOMPARE(wan.value.mode, QStringLiteral("PPPOE"));
    QCOMPARE(wan.value.user, QStringLiteral("kr0417@zelnet"));
    QCOMPARE(wan.value.password, QStringLiteral("pw0417"));
    QCOMPARE(wan.value.vlan, 2105);
    // The device prints the password in clear; the transcript never does.
    QVERIFY(!contains(wan.result.transcript, QStringLiteral("pw0417")));
    QVERIFY(contains(wan.result.transcript, QStringLiteral("User name:")));

    const auto voip = d.voipGet(kBansal);
    QVERIFY2(voip.result.ok(), qPrintable(voip.result.message));
    QCOMPARE(voip.value.user, QStringLiteral("01244771903"));
    QCOMPARE(voip.value.password, QStringLiteral("sip0417"));
    QVERIFY(voip.value.registered);
    QVERIFY(!contains(voip.result.transcript, QStringLiteral("sip0417")));

    const auto wifi = d.wifiGet(kBansal);
    QVERIFY2(wifi.result.ok(), qPrintable(wifi.result.message));
    QCOMPARE(wifi.value.size(), 2);
    QCOMPARE(wifi.value[0].band, Band::Ghz24);
    QCOMPARE(wifi.value[0].ssid, QStringLiteral("Bansal_Home"));
    QCOMPARE(wifi.value[1].band, Band::Ghz5);
    QCOMPARE(wifi.value[1].ssid, QStringLiteral("Bansal_Home_5G"));
    QCOMPARE(wifi.value[1].key, QStringLiteral("bansal-key-1"));
    QVERIFY(!contains(wifi.result.transcript, QStringLiteral("bansal-key-1")));

    const auto traffic = d.traffic(kBansal);
    QVERIFY2(traffic.result.ok(), qPrintable(traffic.result.message));
    // Output (towards the subscriber) is what the ONU receives.
    QVERIFY(traffic.value.rxBytes >= Q_INT64_C(179238864101));
    QVERIFY(traffic.value.txBytes >= Q_INT64_C(9914401188));
    QVERIFY(traffic.value.rxBytes > traffic.value.txBytes);

    const auto caps = d.capabilities(kBansal);
    QVERIFY(caps.result.ok());
    QVERIFY(caps.value.omciWan && caps.value.omciWifi && caps.value.omciVoip);

    const auto vlan = d.onusByVlan(kOlt, 2105);
    QVERIFY2(vlan.result.ok(), qPrintable(vlan.result.message));
    QStringList ports;
    for (const OnuSummary& o : vlan.value)
        ports << o.port + QLatin1Char(' ') + o.mac + QLatin1Char(' ') + o.state;
    QCOMPARE(ports, (QStringList{QStringLiteral("1/2/3:1 C8:3A:35:00:01:01 ONLINE"),
                                 QStringLiteral("1/2/3:7 C8:3A:35:7E:21:09 ONLINE")}));
    const auto free = d.onusByVlan(kOlt, 999);
    QVERIFY(free.result.ok());
    QVERIFY(free.value.isEmpty());
    QVERIFY(olt->inExec());
}

void TestZteDriver::settingsAreReadBack() {
    auto olt = start();
    ZteDriver& d = *olt->driver;

    Result r = d.wanSet(kBansal, {QStringLiteral("PPPOE"), QStringLiteral("new@zelnet"),
                                  QStringLiteral("n3w-pass"), 2106, 0});
    QVERIFY2(r.ok(), qPrintable(r.message));
    QVERIFY(contains(r.transcript, QStringLiteral("vlan-profile PPPOE-2106")));
    QVERIFY(!contains(r.transcript, QStringLiteral("n3w-pass")));
    QVERIFY(!contains(r.transcript, QStringLiteral("pw0417")));
    QVERIFY(olt->inExec());
    const auto wan = d.wanGet(kBansal);
    QCOMPARE(wan.value.user, QStringLiteral("new@zelnet"));
    QCOMPARE(wan.value.password, QStringLiteral("n3w-pass"));
    QCOMPARE(wan.value.vlan, 2106);

    r = d.wifiSet(kBansal,
                  {Band::Ghz5, QStringLiteral("Bansal_5"), QStringLiteral("fresh-key-55")});
    QVERIFY2(r.ok(), qPrintable(r.message));
    QVERIFY(contains(r.transcript, QStringLiteral("ssid ctrl wifi_0/5 name Bansal_5")));
    QVERIFY(!contains(r.transcript, QStringLiteral("fresh-key-55")));
    const auto wifi = d.wifiGet(kBansal);
    QCOMPARE(wifi.value.size(), 2);
    QCOMPARE(wifi.value[1].ssid, QStringLiteral("Bansal_5"));
    QCOMPARE(wifi.value[1].key, QStringLiteral("fresh-key-55"));
    QCOMPARE(wifi.value[0].ssid, QStringLiteral("Bansal_Home"));

    r = d.voipSet(kBansal, {1, QString(), QStringLiteral("01244770000"), QStringLiteral("s1p-new"),
                            0, false});
    QVERIFY2(r.ok(), qPrintable(r.message));
    QVERIFY(!contains(r.transcript, QStringLiteral("s1p-new")));
    const auto voip = d.voipGet(kBansal);
    QCOMPARE(voip.value.user, QStringLiteral("01244770000"));
    QCOMPARE(voip.value.password, QStringLiteral("s1p-new"));
    QVERIFY(olt->inExec());
}

void TestZteDriver::answerCodes_data() {
    QTest::addColumn<TransportKind>("transport");
    QTest::addColumn<QString>("fault"); // what the OLT is made to do
    QTest::addColumn<QString>("operation");
    QTest::addColumn<Code>("code");
    QTest::addColumn<QString>("message"); // a part of it
    // Every code over both transports.
    for (const TransportKind kind : {TransportKind::Telnet, TransportKind::Ssh}) {
        const auto row = [kind](const char* name) -> QTestData& {
            return QTest::addRow("%s over %s", name, kind == TransportKind::Ssh ? "SSH" : "telnet")
                   << kind;
        };
        row("unknown mac") << ""
                           << "status 02:00:00:00:00:01" << Code::NotFound << "02:00:00:00:00:01";
        row("not a whole mac") << ""
                               << "status 02:00:00" << Code::NotFound << "02:00:00";
        row("los onu") << ""
                       << "wan khan" << Code::Offline << "LOS";
        row("dying gasp onu") << ""
                              << "reboot rao" << Code::Offline << "DyingGasp";
        row("offline onu status is read") << ""
                                          << "status khan" << Code::Ok << "LOS";
        row("no second phone port") << ""
                                    << "voip2 bansal" << Code::Unsupported << "port 2";
        row("tr-069 onu keeps its ssid") << "acsOnly"
                                         << "wifi bansal" << Code::NeedsAcs << "ACS";
        row("tr-069 onu keeps its wan") << "acsOnly"
                                        << "wan-set bansal" << Code::NeedsAcs << "ACS";
        row("wrong password") << "wrongPassword"
                              << "status bansal" << Code::Auth << "";
        row("slow device") << "delay"
                           << "status bansal" << Code::Timeout << "command time limit";
        row("garbled answers") << "garble"
                               << "status bansal" << Code::DeviceError << "";
        row("vlan without a profile")
            << ""
            << "wan-set-2107 bansal" << Code::DeviceError << "The vlan profile does not exist";
        row("ssid too long for the onu") << ""
                                         << "wifi-long bansal" << Code::DeviceError << "1 to 32";
        row("command injection in the password")
            << ""
            << "wan-inject bansal" << Code::DeviceError << "password cannot be sent";
    }
}

void TestZteDriver::answerCodes() {
    QFETCH(TransportKind, transport);
    QFETCH(QString, fault);
    QFETCH(QString, operation);
    QFETCH(Code, code);
    QFETCH(QString, message);
    auto olt = start(transport, {}, fault == QLatin1String("delay") ? 1500ms : 10s);
    olt->seen(QStringLiteral("1/2/3"), 2, QStringLiteral("ZTEGC0FFEE02"), kKhan);
    olt->seen(QStringLiteral("1/2/3"), 3, QStringLiteral("ZTEGC0FFEE03"), kRao);
    if (fault == QLatin1String("acsOnly"))
        QVERIFY(olt->emulator->state().setAcsOnly(QStringLiteral("ZTEGC4A7D19E"), true));
    olt->faults().wrongPassword = fault == QLatin1String("wrongPassword");
    // A slow or garbling device still lets the session log in first.
    if (fault == QLatin1String("delay") || fault == QLatin1String("garble"))
        QVERIFY(olt->session->open().ok());
    olt->faults().delayMs = fault == QLatin1String("delay") ? 4000 : 0;
    olt->faults().garble = fault == QLatin1String("garble");
    const QString verb = operation.section(QLatin1Char(' '), 0, 0);
    const QString who = operation.section(QLatin1Char(' '), 1);
    const QHash<QString, OnuRef> onus{{QStringLiteral("bansal"), kBansal},
                                      {QStringLiteral("khan"), kKhan},
                                      {QStringLiteral("rao"), kRao}};
    const OnuRef onu = onus.value(who, {kOlt, who});
    ZteDriver& d = *olt->driver;
    const auto wan = [&](const QString& user, const QString& password, int vlan) {
        return d.wanSet(onu, {QStringLiteral("PPPOE"), user, password, vlan, 0});
    };
    Result r;
    if (verb == QLatin1String("status"))
        r = d.onuStatus(onu).result;
    else if (verb == QLatin1String("wan"))
        r = d.wanGet(onu).result;
    else if (verb == QLatin1String("reboot"))
        r = d.reboot(onu);
    else if (verb == QLatin1String("voip2"))
        r = d.voipSet(onu, {2, QString(), QStringLiteral("0124"), QStringLiteral("pw"), 0, false});
    else if (verb == QLatin1String("wifi"))
        r = d.wifiSet(onu, {Band::Ghz24, QStringLiteral("Other"), QStringLiteral("other-key")});
    else if (verb == QLatin1String("wifi-long"))
        r = d.wifiSet(onu,
                      {Band::Ghz24, QString(33, QLatin1Char('n')), QStringLiteral("k-123456")});
    else if (verb == QLatin1String("wan-set"))
        r = wan(QStringLiteral("other@zelnet"), QStringLiteral("pw"), 2105);
    else if (verb == QLatin1String("wan-set-2107"))
        r = wan(QStringLiteral("kr0417@zelnet"), QStringLiteral("pw0417"), 2107);
    else if (verb == QLatin1String("wan-inject"))
        r = wan(QStringLiteral("kr0417@zelnet"), QStringLiteral("pw\nwrite"), 2105);
    else
        QFAIL("unknown operation");
    QVERIFY2(r.code == code, qPrintable(codeName(r.code) + QLatin1Char(' ') + r.message));
    QVERIFY2(r.message.contains(message), qPrintable(r.message));
    // Nothing is ever saved, nor slipped in through a value.
    QVERIFY(!contains(r.transcript, QStringLiteral("write")));
    const bool sent = !olt->session->prompt().isEmpty();
    if (sent && r.code != Code::Timeout && r.code != Code::Auth && !olt->faults().garble)
        QVERIFY2(olt->inExec(), qPrintable(olt->session->prompt()));
}

void TestZteDriver::contradictedIndexIsSearchedAgain() {
    auto olt = start();
    // An old entry: the MAC was once behind ONU 1, which now holds another
    // serial; and one for an ONU id the port no longer has.
    const OnuRef gone{kOlt, QStringLiteral("02:00:00:00:00:02")};
    olt->seen(QStringLiteral("1/2/3"), 1, QStringLiteral("ZTEGDEADBEEF"), kBansal);
    olt->seen(QStringLiteral("1/2/3"), 1, QStringLiteral("ZTEGDEADBEEF"), gone);
    auto status = olt->driver->onuStatus(kBansal);
    QVERIFY2(status.result.ok(), qPrintable(status.result.message));
    QCOMPARE(status.value.port, QStringLiteral("1/2/3:7"));
    QCOMPARE(olt->index.byMac(QStringLiteral("C83A357E2109"))->serial,
             QStringLiteral("ZTEGC4A7D19E"));
    // What was known of the ONU that left is not passed on to the one there now.
    QVERIFY(!olt->index.byMac(QStringLiteral("020000000002")));

    olt->seen(QStringLiteral("1/2/3"), 99, QStringLiteral("ZTEGC0FFEE01"), kIyer);
    status = olt->driver->onuStatus(kIyer);
    QVERIFY2(status.result.ok(), qPrintable(status.result.message));
    QCOMPARE(status.value.port, QStringLiteral("1/2/3:1"));
    QVERIFY(!olt->index.byOnu(QStringLiteral("1/2/3"), 99));
}

void TestZteDriver::findsByMacOctetsAndSerial() {
    // ONU 3 gets a serial that ends as ONU 1's does.
    QJsonArray onus = support::emulatorState(QStringLiteral("zte-c320.json"))
                          .value(QStringLiteral("onus"))
                          .toArray();
    QJsonObject third = onus[3].toObject();
    third.insert(QStringLiteral("serial"), QStringLiteral("ZTEGAAFFEE01"));
    onus[3] = third;
    auto olt = start(TransportKind::Telnet, {{QStringLiteral("onus"), onus}});
    ZteDriver& d = *olt->driver;
    const auto ports = [](const Answer<QList<OnuSummary>>& a) {
        QStringList out;
        for (const OnuSummary& o : a.value)
            out << o.port + QLatin1Char(' ') + o.serial;
        return out.join(QLatin1String(", "));
    };
    struct Case {
        QString key;
        int limit;
        QString found;
    };
    const QList<Case> cases{
        {QStringLiteral("21:09"), 5, QStringLiteral("1/2/3:7 ZTEGC4A7D19E")},
        {QStringLiteral("c83a.357e.2109"), 5, QStringLiteral("1/2/3:7 ZTEGC4A7D19E")},
        {QStringLiteral("ZTEGC0FFEE01"), 5, QStringLiteral("1/2/3:1 ZTEGC0FFEE01")},
        {QStringLiteral("ffee02"), 5, QStringLiteral("1/2/3:2 ZTEGC0FFEE02")},
        {QStringLiteral("FFEE01"), 5, QStringLiteral("1/2/3:1 ZTEGC0FFEE01, 1/2/3:3 ZTEGAAFFEE01")},
        {QStringLiteral("FFEE01"), 1, QStringLiteral("1/2/3:1 ZTEGC0FFEE01")},
    };
    for (const Case& c : cases) {
        const auto a = d.findOnu(kOlt, c.key, c.limit);
        QVERIFY2(a.result.ok(), qPrintable(c.key + QLatin1Char(' ') + a.result.message));
        QCOMPARE(ports(a), c.found);
    }
    for (const QString& missing : {QStringLiteral("ab:cd"), QStringLiteral("ZTEG00000000")}) {
        const auto a = d.findOnu(kOlt, missing, 5);
        QVERIFY2(a.result.code == Code::NotFound, qPrintable(missing));
    }
}

void TestZteDriver::offlineOnusListedAndRemoved() {
    auto olt = start();
    olt->seen(QStringLiteral("1/2/3"), 2, QStringLiteral("ZTEGC0FFEE02"), kKhan);
    olt->seen(QStringLiteral("1/2/3"), 3, QStringLiteral("ZTEGC0FFEE03"), kRao);
    ZteDriver& d = *olt->driver;
    // The OLT's clock stands at 2026-12-09 17:02 IST; ONU 2 went down 2 days
    // 18 hours before, ONU 3 1 day 15 hours before: only ONU 2 is down for
    // two days, whatever our own clock says.
    const QDateTime twoDaysAgo = QDateTime::currentDateTimeUtc().addDays(-2);
    const auto list = d.offlineList(kOlt, twoDaysAgo);
    QVERIFY2(list.result.ok(), qPrintable(list.result.message));
    QCOMPARE(list.value.size(), 1);
    const OnuSummary& o = list.value.first();
    QCOMPARE(o.port, QStringLiteral("1/2/3:2"));
    QCOMPARE(o.serial, QStringLiteral("ZTEGC0FFEE02"));
    QCOMPARE(o.mac, kKhan.mac);
    QCOMPARE(o.state, QStringLiteral("LOS"));
    QCOMPARE(o.downCause, QStringLiteral("LOS"));
    const qint64 age = o.downSince.secsTo(QDateTime::currentDateTimeUtc());
    QVERIFY2(qAbs(age - (2 * 86400 + 17 * 3600 + 57 * 60)) < 600, qPrintable(QString::number(age)));

    const Result kept = d.onuDelete(kRao, twoDaysAgo);
    QCOMPARE(kept.code, Code::DeviceError);
    {
        auto lock = olt->emulator->state().lock();
        QVERIFY(olt->emulator->state().find(1, 2, 3, 3));
    }

    const Result removed = d.onuDelete(kKhan, twoDaysAgo);
    QVERIFY2(removed.ok(), qPrintable(removed.message));
    QVERIFY(contains(removed.transcript, QStringLiteral("no onu 2")));
    {
        auto lock = olt->emulator->state().lock();
        QVERIFY(!olt->emulator->state().find(1, 2, 3, 2));
    }
    QVERIFY(!olt->index.byMac(macDigits(kKhan.mac)));
    QVERIFY(olt->inExec());
    // Removed once: asked again, it is not found.
    QCOMPARE(d.onuDelete(kKhan, twoDaysAgo).code, Code::NotFound);
}

void TestZteDriver::rebootAndResetAnswerTheQuestion() {
    for (const QString& question : {QString(), QStringLiteral("yes/no"), QStringLiteral("Y/N")}) {
        auto olt = start(TransportKind::Telnet, {{QStringLiteral("confirm"), question}});
        const Result reset = olt->driver->factoryReset(kIyer);
        QVERIFY2(reset.ok(), qPrintable(question + QLatin1Char(' ') + reset.message));
        const Result reboot = olt->driver->reboot(kBansal);
        QVERIFY2(reboot.ok(), qPrintable(question + QLatin1Char(' ') + reboot.message));
        QVERIFY(olt->inExec());
        // Both ONUs restart: they are down now.
        QCOMPARE(olt->driver->onuStatus(kBansal).value.state, QStringLiteral("OFFLINE"));
        QCOMPARE(olt->driver->onuStatus(kIyer).value.state, QStringLiteral("OFFLINE"));
    }
}

QTEST_GUILESS_MAIN(TestZteDriver)
#include "tst_zte_driver.moc"
