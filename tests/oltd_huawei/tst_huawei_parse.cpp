// The readers of Huawei SmartAX answers, on texts as the OLT prints them,
// their older and newer variants, and answers cut short or mangled.
#include "oltd/drivers/huawei/huawei_parse.h"

#include <QTest>

using namespace oltd;
using namespace oltd::huawei;

namespace {

const QTimeZone kIst(19800);

QString lines(std::initializer_list<const char*> list) {
    QStringList out;
    for (const char* l : list)
        out << QString::fromUtf8(l);
    return out.join(QLatin1Char('\n'));
}

// Half the answer with every 11th character replaced: a noisy line.
QString garbled(const QString& text) {
    QString half = text.left(text.size() / 2);
    for (qsizetype i = 10; i < half.size(); i += 11)
        if (half[i] != QLatin1Char('\n'))
            half[i] = QLatin1Char('~');
    return half;
}

QString withoutLastLine(const QString& text) {
    return text.left(text.lastIndexOf(QLatin1Char('\n')));
}

const QString kDash = QStringLiteral(
    "  -----------------------------------------------------------------------------");

QString ontInfoText(const QString& runState = QStringLiteral("online"),
                    const QString& tr069 = QStringLiteral("Disable")) {
    const bool up = runState == QLatin1String("online");
    return QStringList{
        kDash,
        QStringLiteral("  F/S/P                   : 0/1/2"),
        QStringLiteral("  ONT-ID                  : 5"),
        QStringLiteral("  Control flag            : active"),
        QStringLiteral("  Run state               : ") + runState,
        QStringLiteral("  Config state            : ") + QLatin1String(up ? "normal" : "initial"),
        QStringLiteral("  Match state             : ") + QLatin1String(up ? "match" : "initial"),
        QStringLiteral("  DBA type                : ") + QLatin1String(up ? "SR" : "-"),
        QStringLiteral("  ONT distance(m)         : ") + QLatin1String(up ? "1874" : "-"),
        QStringLiteral("  ONT battery state       : not support"),
        QStringLiteral("  Memory occupation       : 41%"),
        QStringLiteral("  Temperature             : 47(C)"),
        QStringLiteral("  Authentic type          : SN-auth"),
        QStringLiteral("  SN                      : 485754439C2E71A4 (HWTC-9C2E71A4)"),
        QStringLiteral("  Management mode         : OMCI"),
        QStringLiteral("  ONT IP 0 address/mask   : -"),
        QStringLiteral("  Description             : VLG-0233_mehta"),
        QStringLiteral("  Last down cause         : dying-gasp"),
        QStringLiteral("  Last up time            : 2026-10-30 06:51:12+05:30"),
        QStringLiteral("  Last down time          : 2026-10-30 06:49:58+05:30"),
        QStringLiteral("  Last dying gasp time    : 2026-10-30 06:49:58+05:30"),
        QStringLiteral("  ONT online duration     : ") +
            QLatin1String(up ? "41 day(s), 6 hour(s), 12 minute(s), 9 second(s)" : "-"),
        kDash,
        QStringLiteral("  Line profile ID         : 10"),
        QStringLiteral("  Tr069 management        : ") + tr069,
        kDash}
        .join(QLatin1Char('\n'));
}

const QString kSummary = lines({
    "  ------------------------------------------------------------------------------",
    "  In port 0/1/2, the total of ONTs are: 3, online: 2",
    "  ------------------------------------------------------------------------------",
    "  ONT  Run     Last                Last                Last",
    "  ID   State   UpTime              DownTime            DownCause",
    "  ------------------------------------------------------------------------------",
    "  0    online  2026-11-19 21:40:03 2026-11-19 21:38:51 dying-gasp",
    "  5    online  2026-10-30 06:51:12 -                   -",
    "  9    offline 2026-11-28 10:12:40 2026-12-06 23:05:17 ONT is reset by ONT comma",
    "  ------------------------------------------------------------------------------",
    "  ONT        SN        Type          Distance Rx/Tx power  Description",
    "  ID                                    (m)      (dBm)",
    "  ------------------------------------------------------------------------------",
    "  0   48575443771A0B3C EG8145V5         922   -19.02/2.18  VLG-0118_iyer",
    "  5   485754439C2E71A4 EG8141A5         1874  -21.47/2.31  VLG-0233_mehta",
    "  9   4857544312F0D6E5 HG8310M          -     -/-          VLG-0301_khan",
    "  ------------------------------------------------------------------------------",
});

const QString kWanInfo = lines({
    "  ---------------------------------------------------------------------",
    "  F/S/P                      : 0/1/2",
    "  ONT ID                     : 5",
    "  ---------------------------------------------------------------------",
    "  Index                      : 1",
    "  Name                       : 1_INTERNET_R_VID_2218",
    "  Service type               : Internet",
    "  Connection type            : IP routed",
    "  IPv4 Connection status     : Connected",
    "  IPv4 access type           : PPPoE",
    "  IPv4 address               : 100.74.9.201",
    "  Manage VLAN                : 2218",
    "  Manage priority            : 0",
    "  MAC address                : E0A3-AC5F-18D2",
    "  L2 encap-type              : PPPoE",
    "  ---------------------------------------------------------------------",
});

const QString kWlanInfo = lines({
    "  ------------------------------------------------------------------------------",
    "  F/S/P                    : 0/1/2",
    "  ONT ID                   : 5",
    "  The total number of SSID : 2",
    "  ------------------------------------------------------------------------------",
    "  SSID Index               : 1",
    "  SSID                     : Mehta_WiFi",
    "  Wireless Standard        : IEEE 802.11b/g/n",
    "  Current associate number : 3",
    "  ------------------------------------------------------------------------------",
    "  SSID Index               : 5",
    "  SSID                     : Mehta_WiFi_5G",
    "  Wireless Standard        : IEEE 802.11ac",
    "  Current associate number : 1",
    "  ------------------------------------------------------------------------------",
});

const QString kServicePorts = lines({
    "  Switch-Oriented Flow List",
    "  -----------------------------------------------------------------------------",
    "   INDEX VLAN VLAN     PORT F/ S/ P VPI  VCI   FLOW  FLOW       RX   TX   STATE",
    "         ID   ATTR     TYPE                    TYPE  PARA",
    "  -----------------------------------------------------------------------------",
    "     311 2218 common   gpon 0/1 /2  5    1     vlan  2218       8    8    up",
    "     420 3000 common   gpon 0/1 /12 7    1     vlan  2301       8    8    down",
    "  -----------------------------------------------------------------------------",
    "   Total : 2  (Up/Down :    1/1)",
    "   Note : F--Frame, S--Slot, P--Port,",
    "          VPI indicates ONT ID for PON, VCI indicates GEM index for GPON,",
});

const QString kLocation = lines({
    "  It will take several minutes, please wait or press CTRL_C to break",
    "  ----------------------------------------------------------------------",
    "  MAC             MAC TYPE  F/S/P    ONT ID  Port ID  Port Type  VLAN",
    "  ----------------------------------------------------------------------",
    "  e0a3-ac5f-18d2  DYNAMIC   0/ 1/2        5        1  ETH        2218",
    "  ----------------------------------------------------------------------",
});

const QString kOntMacs = lines({
    " ---------------------------------------------------------------",
    " F/S/P   ONTID    ONT        ONT       MAC-ADDRESS        VLAN",
    "                   port-type  port-ID",
    " ---------------------------------------------------------------",
    " 0/ 1/2      5    ETH              1   e0a3-ac5f-18d2     2218",
    " 0/ 1/2      5    ETH              1   c83a-357e-2110     2218",
    " ---------------------------------------------------------------",
    " Total: 2",
});

const QString kConfig = lines({
    "#",
    "[gpon]",
    "  <gpon-0/1>",
    " interface gpon 0/1",
    " ont ipconfig 2 4 ip-index 0 pppoe vlan 2210 priority 0 user-account username other "
    "password x",
    " ont ipconfig 2 5 ip-index 0 pppoe vlan 2218 priority 0 user-account username "
    "vg0233@zelnet password pw0233",
    " ont internet-config 2 5 ip-index 0",
    " if-sip add 2 5 1 sipagent-profile profile-id 3",
    " sippstnuser add 2 5 1 mgid 1 username 01652280417 password sip0233 telno 01652280417",
    "#",
    "return",
});

const QString kCounters = lines({
    "  Received frames                     :           18240713",
    "  Received bytes                      :         9913005192",
    "  Sent frames                         :          150210331",
    "  Sent bytes                          :       179203118801",
});

const QString kOptics = lines({
    "  -----------------------------------------------------------------------------",
    "  ONU NNI port ID                        : 0",
    "  Module type                            : GPON",
    "  Rx optical power(dBm)                  : -21.47",
    "  Rx power current warning threshold(dBm): [-,-]",
    "  Rx power current alarm threshold(dBm)  : [-29.0,-7.0]",
    "  Tx optical power(dBm)                  : 2.31",
    "  Laser bias current(mA)                 : 9",
    "  Voltage(V)                             : 3.280",
    "  OLT Rx ONT optical power(dBm)          : -23.88",
    "  CATV Rx optical power(dBm)             : -",
    "  -----------------------------------------------------------------------------",
});

} // namespace

class TestHuaweiParse : public QObject {
    Q_OBJECT

private slots:
    void failures_data();
    void failures();
    void ontInfo();
    void ontInfoVariants_data();
    void ontInfoVariants();
    void broken_data();
    void broken();
    void summary();
    void summaryVariants_data();
    void summaryVariants();
    void wanInfo_data();
    void wanInfo();
    void wlanInfo();
    void servicePorts();
    void macTables_data();
    void macTables();
    void ontConfig();
    void values_data();
    void values();
};

void TestHuaweiParse::failures_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("failed");
    QTest::addColumn<Code>("code");
    QTest::addColumn<QString>("text");
    QTest::addRow("missing ONT") << "  Failure: The ONT does not exist" << true << Code::NotFound
                                 << "Failure: The ONT does not exist";
    QTest::addRow("offline, with a period")
        << "\n  Failure: The ONT is not online.\n"
        << true << Code::Offline << "Failure: The ONT is not online.";
    QTest::addRow("other vendor's ONT")
        << "  Failure: The ONT can not support this operation" << true << Code::Unsupported
        << "Failure: The ONT can not support this operation";
    QTest::addRow("wrapped") << "  Failure: This configured object has some service virtual\n"
                                "  ports"
                             << true << Code::DeviceError
                             << "Failure: This configured object has some service virtual ports";
    QTest::addRow("unknown command")
        << "                        ^\n"
           "  % Unknown command, the error locates at '^'"
        << true << Code::Unsupported << "% Unknown command, the error locates at '^'";
    QTest::addRow("bad id") << "  % Parameter error, the error locates at '^'" << true
                            << Code::DeviceError << "% Parameter error, the error locates at '^'";
    QTest::addRow("busy") << "  System is busy, please try after a while" << true
                          << Code::DeviceError << "System is busy, please try after a while";
    QTest::addRow("a normal answer") << ontInfoText() << false << Code::Ok << QString();
    QTest::addRow("reset done") << "" << false << Code::Ok << QString();
}

void TestHuaweiParse::failures() {
    QFETCH(QString, answer);
    QFETCH(bool, failed);
    const auto f = deviceFailure(answer);
    QCOMPARE(f.has_value(), failed);
    if (f) {
        QFETCH(Code, code);
        QFETCH(QString, text);
        QCOMPARE(f->code, code);
        QCOMPARE(f->text, text);
    }
}

void TestHuaweiParse::ontInfo() {
    const auto i = parseOntInfo(ontInfoText(), kIst);
    QVERIFY(i);
    QCOMPARE(i->fsp.text(), QStringLiteral("0/1/2"));
    QCOMPARE(i->ontId, 5);
    QCOMPARE(i->runState, QStringLiteral("online"));
    QCOMPARE(i->distance, 1874);
    QCOMPARE(i->uptimeSeconds, 41 * 86400 + 6 * 3600 + 12 * 60 + 9);
    QCOMPARE(i->serial, QStringLiteral("HWTC9C2E71A4"));
    QCOMPARE(i->lastDownCause, QStringLiteral("dying-gasp"));
    QCOMPARE(i->lastDownTime.toUTC(), QDateTime(QDate(2026, 10, 30), QTime(1, 19, 58), Qt::UTC));
    QCOMPARE(i->description, QStringLiteral("VLG-0233_mehta"));
    QVERIFY(!i->tr069);
}

void TestHuaweiParse::ontInfoVariants_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("runState");
    QTest::addColumn<int>("distance");
    QTest::addColumn<bool>("tr069");
    QTest::addColumn<QString>("description");
    QTest::addRow("offline") << ontInfoText(QStringLiteral("offline")) << "offline" << 0 << false
                             << "VLG-0233_mehta";
    QTest::addRow("TR-069, upper case label")
        << ontInfoText(QStringLiteral("online"), QStringLiteral("Enable"))
               .replace(QLatin1String("Tr069"), QLatin1String("TR069"))
        << "online" << 1874 << true << "VLG-0233_mehta";
    QTest::addRow("CR LF, units missing (older release)")
        << ontInfoText()
               .replace(QLatin1String("41%"), QLatin1String("44"))
               .replace(QLatin1String("\n"), QLatin1String("\r\n"))
        << "online" << 1874 << false << "VLG-0233_mehta";
    QTest::addRow("offline without a duration line")
        << ontInfoText(QStringLiteral("offline"))
               .remove(QRegularExpression(QStringLiteral("  ONT online duration[^\n]*\n")))
        << "offline" << 0 << false << "VLG-0233_mehta";
    QTest::addRow("wrapped description")
        << ontInfoText().replace(
               QLatin1String("VLG-0233_mehta\n"),
               QLatin1String("VLG-0233_mehta_flat_3: near the\n                            "
                             "temple\n"))
        << "online" << 1874 << false << "VLG-0233_mehta_flat_3: near thetemple";
}

void TestHuaweiParse::ontInfoVariants() {
    QFETCH(QString, answer);
    const auto i = parseOntInfo(answer, kIst);
    QVERIFY(i);
    QTEST(i->runState, "runState");
    QTEST(i->distance, "distance");
    QTEST(i->tr069, "tr069");
    QTEST(i->description, "description");
    QCOMPARE(i->serial, QStringLiteral("HWTC9C2E71A4"));
}

// Every reader refuses what it cannot trust, rather than reading a wrong value.
void TestHuaweiParse::broken_data() {
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("answer");
    const QString info = ontInfoText();
    QTest::addRow("ont info garbled") << "info" << garbled(info);
    QTest::addRow("ont info cut before its closing line") << "info" << withoutLastLine(info);
    QTest::addRow("ont info cut in the first block")
        << "info" << info.left(info.indexOf(QLatin1String("  ONT distance")));
    QTest::addRow("run state unknown")
        << "info" << QString(info).replace(QLatin1String(": online"), QLatin1String(": onl~ne"));
    QTest::addRow("serial mangled") << "info"
                                    << QString(info).replace(QLatin1String("485754439C2E71A4"),
                                                             QLatin1String("4857544~9C2E71A4"));
    QTest::addRow("duration mangled")
        << "info" << QString(info).replace(QLatin1String("6 hour(s)"), QLatin1String("6 ho~r(s)"));
    QTest::addRow("summary garbled") << "summary" << garbled(kSummary);
    QTest::addRow("summary without the serial table")
        << "summary" << kSummary.left(kSummary.indexOf(QLatin1String("  ONT        SN")));
    QTest::addRow("summary row missing")
        << "summary"
        << QString(kSummary).remove(QRegularExpression(QStringLiteral("  5    online[^\n]*\n")));
    QTest::addRow("wan-info garbled") << "wan" << garbled(kWanInfo);
    QTest::addRow("wan-info cut") << "wan" << withoutLastLine(kWanInfo);
    QTest::addRow("wan-info VLAN mangled")
        << "wan" << QString(kWanInfo).replace(QLatin1String(": 2218"), QLatin1String(": 22~8"));
    QTest::addRow("wlan-info second SSID cut")
        << "wlan"
        << kWlanInfo.left(kWlanInfo.indexOf(QLatin1String("  SSID Index               : 5")));
    QTest::addRow("service ports garbled") << "ports" << garbled(kServicePorts);
    QTest::addRow("service ports, a row short of the total")
        << "ports"
        << QString(kServicePorts).remove(QRegularExpression(QStringLiteral("     420[^\n]*\n")));
    QTest::addRow("location cut") << "macs" << withoutLastLine(kLocation);
    QTest::addRow("ONT MACs short of the total")
        << "macs"
        << QString(kOntMacs).replace(QLatin1String("Total: 2"), QLatin1String("Total: 3"));
    QTest::addRow("configuration cut") << "config" << withoutLastLine(withoutLastLine(kConfig));
    QTest::addRow("counters cut") << "counters" << withoutLastLine(kCounters);
    QTest::addRow("counters mangled")
        << "counters"
        << QString(kCounters).replace(QLatin1String("179203"), QLatin1String("179~03"));
    QTest::addRow("optics of an offline ONT")
        << "optics" << QString(kOptics).replace(QLatin1String(": -21.47"), QLatin1String(": -"));
    QTest::addRow("optics garbled") << "optics" << garbled(kOptics);
}

void TestHuaweiParse::broken() {
    QFETCH(QString, what);
    QFETCH(QString, answer);
    bool parsed = true;
    if (what == QLatin1String("info"))
        parsed = parseOntInfo(answer, kIst).has_value();
    else if (what == QLatin1String("summary"))
        parsed = parseSummary(answer, kIst).has_value();
    else if (what == QLatin1String("wan"))
        parsed = parseWanInfo(answer).has_value();
    else if (what == QLatin1String("wlan"))
        parsed = parseWlanInfo(answer).has_value();
    else if (what == QLatin1String("ports"))
        parsed = parseServicePorts(answer).has_value();
    else if (what == QLatin1String("macs"))
        parsed = parseMacTable(answer).has_value();
    else if (what == QLatin1String("config"))
        parsed = parseOntConfig(answer, 2, 5).has_value();
    else if (what == QLatin1String("counters"))
        parsed = parseCounters(answer).has_value();
    else if (what == QLatin1String("optics"))
        parsed = parseOptics(answer).has_value();
    QVERIFY(!parsed);
}

void TestHuaweiParse::summary() {
    const auto s = parseSummary(kSummary, kIst);
    QVERIFY(s);
    QCOMPARE(s->fsp.text(), QStringLiteral("0/1/2"));
    QCOMPARE(s->onts.size(), 3);
    const SummaryRow& never = s->onts[1];
    QCOMPARE(never.ontId, 5);
    QVERIFY(!never.lastDownTime.isValid());
    QCOMPARE(never.lastDownCause, QString());
    QCOMPARE(never.type, QStringLiteral("EG8141A5"));
    const SummaryRow& off = s->onts[2];
    QCOMPARE(off.runState, QStringLiteral("offline"));
    QCOMPARE(off.serial, QStringLiteral("HWTC12F0D6E5"));
    QCOMPARE(off.lastDownCause, QStringLiteral("ONT is reset by ONT comma"));
    QCOMPARE(off.lastDownTime, QDateTime(QDate(2026, 12, 6), QTime(23, 5, 17), kIst));
}

void TestHuaweiParse::summaryVariants_data() {
    QTest::addColumn<QString>("answer");
    QTest::addRow("newer header") << QString(kSummary).replace(
        QLatin1String("the total of ONTs are: 3, online: 2"),
        QLatin1String("the total number of ONTs are: 3, online: "
                      "2, offline: 1"));
    QTest::addRow("blank after the slot") << QString(kSummary).replace(
        QLatin1String("In port 0/1/2,"), QLatin1String("In port 0/ 1/2 ,"));
    QTest::addRow("day first dates") << QString(kSummary).replace(
        QLatin1String("2026-12-06 23:05:17"), QLatin1String("06/12/2026 23:05:17"));
}

void TestHuaweiParse::summaryVariants() {
    QFETCH(QString, answer);
    const auto s = parseSummary(answer, kIst);
    QVERIFY(s);
    QCOMPARE(s->fsp.text(), QStringLiteral("0/1/2"));
    QCOMPARE(s->onts.size(), 3);
    QCOMPARE(s->onts[2].lastDownTime, QDateTime(QDate(2026, 12, 6), QTime(23, 5, 17), kIst));
}

void TestHuaweiParse::wanInfo_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("blocks");
    QTest::addColumn<QString>("access");
    QTest::addColumn<int>("vlan");
    QTest::addColumn<QString>("mac");
    QTest::addRow("routed PPPoE") << kWanInfo << 1 << "PPPoE" << 2218 << "E0A3AC5F18D2";
    QTest::addRow("older labels") << QString(kWanInfo)
                                         .replace(QLatin1String("IPv4 Connection status"),
                                                  QLatin1String("Connection status"))
                                         .replace(QLatin1String("IPv4 access type      "),
                                                  QLatin1String("IP access type"))
                                  << 1 << "PPPoE" << 2218 << "E0A3AC5F18D2";
    QTest::addRow("bridged") << QString(kWanInfo)
                                    .replace(QLatin1String("IP routed"),
                                             QLatin1String("IP bridged"))
                                    .replace(QLatin1String(": PPPoE\n"), QLatin1String(": -\n"))
                                    .replace(QLatin1String("E0A3-AC5F-18D2"),
                                             QLatin1String("--------------"))
                             << 1 << "-" << 2218 << "";
    QTest::addRow("TR-069 ONT: header only")
        << lines({
               "  ---------------------------------------------------------------------",
               "  F/S/P                      : 0/1/2",
               "  ONT ID                     : 5",
               "  ---------------------------------------------------------------------",
           })
        << 0 << "" << 0 << "";
}

void TestHuaweiParse::wanInfo() {
    QFETCH(QString, answer);
    const auto w = parseWanInfo(answer);
    QVERIFY(w);
    QTEST(int(w->size()), "blocks");
    if (w->isEmpty())
        return;
    QCOMPARE(w->first().serviceType, QStringLiteral("Internet"));
    QTEST(w->first().accessType, "access");
    QTEST(w->first().vlan, "vlan");
    QTEST(w->first().mac, "mac");
}

void TestHuaweiParse::wlanInfo() {
    const auto w = parseWlanInfo(kWlanInfo);
    QVERIFY(w);
    QCOMPARE(w->size(), 2);
    QCOMPARE(w->at(0).name, QStringLiteral("Mehta_WiFi"));
    QCOMPARE(w->at(0).band, Band::Ghz24);
    QCOMPARE(w->at(1).name, QStringLiteral("Mehta_WiFi_5G"));
    QCOMPARE(w->at(1).band, Band::Ghz5);
}

void TestHuaweiParse::servicePorts() {
    const auto p = parseServicePorts(kServicePorts);
    QVERIFY(p);
    QCOMPARE(p->size(), 2);
    QCOMPARE(p->at(0).fsp.text(), QStringLiteral("0/1/2"));
    QCOMPARE(p->at(0).ontId, 5);
    QCOMPARE(p->at(1).fsp.text(), QStringLiteral("0/1/12"));
    QCOMPARE(p->at(1).vlan, 3000);
    QCOMPARE(p->at(1).flowPara, 2301);
    QCOMPARE(p->at(1).state, QStringLiteral("down"));
    const auto none = parseServicePorts(QStringLiteral("  Failure: No service virtual port can be "
                                                       "operated"));
    QVERIFY(none && none->isEmpty());
}

void TestHuaweiParse::macTables_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("rows");
    QTest::addRow("location") << kLocation << 1;
    QTest::addRow("location, nothing learned")
        << QString(kLocation).remove(QRegularExpression(QStringLiteral("  e0a3[^\n]*\n"))) << 0;
    QTest::addRow("per ONT") << kOntMacs << 2;
}

void TestHuaweiParse::macTables() {
    QFETCH(QString, answer);
    const auto rows = parseMacTable(answer);
    QVERIFY(rows);
    QTEST(int(rows->size()), "rows");
    if (rows->isEmpty())
        return;
    QCOMPARE(rows->first().mac, QStringLiteral("E0A3AC5F18D2"));
    QCOMPARE(rows->first().fsp.text(), QStringLiteral("0/1/2"));
    QCOMPARE(rows->first().ontId, 5);
    QCOMPARE(rows->first().vlan, 2218);
}

void TestHuaweiParse::ontConfig() {
    const auto c = parseOntConfig(kConfig, 2, 5);
    QVERIFY(c);
    QCOMPARE(c->wanMode, QStringLiteral("PPPOE"));
    QCOMPARE(c->wanUser, QStringLiteral("vg0233@zelnet"));
    QCOMPARE(c->wanPassword, QStringLiteral("pw0233"));
    QCOMPARE(c->wanVlan, 2218);
    QCOMPARE(c->sipProfile, 3);
    QCOMPARE(c->sipUser, QStringLiteral("01652280417"));
    QCOMPARE(c->sipPassword, QStringLiteral("sip0233"));
    // An ONT with nothing configured has an empty listing, not a failure.
    const auto other = parseOntConfig(kConfig, 2, 9);
    QVERIFY(other);
    QCOMPARE(other->wanMode, QString());
    QCOMPARE(other->sipProfile, -1);
}

// Small values: times, durations, serials, counters, optics, the clock.
void TestHuaweiParse::values_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected"); // empty: refused
    QTest::addRow("time with offset") << "time"
                                      << "2026-11-02 08:14:37+05:30"
                                      << "2026-11-02T02:44:37Z";
    QTest::addRow("time in the OLT's zone") << "time"
                                            << "2026-11-02 08:14:37"
                                            << "2026-11-02T02:44:37Z";
    QTest::addRow("time day first") << "time"
                                    << "02/11/2026 08:14:37"
                                    << "2026-11-02T02:44:37Z";
    QTest::addRow("time impossible") << "time"
                                     << "2026-13-02 08:14:37"
                                     << "";
    QTest::addRow("duration") << "duration"
                              << "0 day(s), 1 hour(s), 0 minute(s), 5 second(s)"
                              << "3605";
    QTest::addRow("duration mangled") << "duration"
                                      << "0 day(s), 1 h~ur(s)"
                                      << "";
    QTest::addRow("serial hex") << "serial"
                                << "485754439C2E71A4"
                                << "HWTC9C2E71A4";
    QTest::addRow("serial dashed") << "serial"
                                   << "HWTC-9C2E71A4"
                                   << "HWTC9C2E71A4";
    QTest::addRow("serial other vendor") << "serial"
                                         << "5A544547C4A7D19E"
                                         << "ZTEGC4A7D19E";
    QTest::addRow("serial too short") << "serial"
                                      << "5A544547C4A7D1"
                                      << "";
    QTest::addRow("counters") << "counters" << kCounters << "9913005192/179203118801";
    QTest::addRow("optics") << "optics" << kOptics << "-21.47/2.31/-23.88";
    QTest::addRow("optics, older start and spelling")
        << "optics"
        << kDash + QLatin1Char('\n') +
               kOptics.mid(kOptics.indexOf(QLatin1String("  Rx optical")))
                   .replace(QLatin1String("Rx optical"), QLatin1String("RX optical"))
        << "-21.47/2.31/-23.88";
    QTest::addRow("OLT clock") << "clock"
                               << "\n  2026-12-09 17:02:44+05:30\n"
                               << "2026-12-09T11:32:44Z";
    QTest::addRow("OLT clock unknown form") << "clock"
                                            << "  17:02:44 IST Wed Dec 9 2026"
                                            << "";
    QTest::addRow("deleted") << "deleted"
                             << "  Number of ONTs that can be deleted: 1, success: 1"
                             << "yes";
    QTest::addRow("not deleted") << "deleted"
                                 << "  Number of ONTs that can be deleted: 1, success: 0"
                                 << "";
}

void TestHuaweiParse::values() {
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QString got;
    if (kind == QLatin1String("time")) {
        if (const auto t = parseTime(text, kIst))
            got = t->toUTC().toString(Qt::ISODate);
    } else if (kind == QLatin1String("duration")) {
        if (const auto d = parseDuration(text))
            got = QString::number(*d);
    } else if (kind == QLatin1String("serial")) {
        got = readableSerial(text);
    } else if (kind == QLatin1String("counters")) {
        if (const auto c = parseCounters(text))
            got = QStringLiteral("%1/%2").arg(c->received).arg(c->sent);
    } else if (kind == QLatin1String("optics")) {
        if (const auto o = parseOptics(text))
            got = QStringLiteral("%1/%2/%3").arg(o->rx).arg(o->tx).arg(o->oltRx);
    } else if (kind == QLatin1String("clock")) {
        if (const auto t = parseOltTime(text, kIst))
            got = t->toUTC().toString(Qt::ISODate);
    } else if (kind == QLatin1String("deleted")) {
        got = ontDeleted(text) ? QStringLiteral("yes") : QString();
    }
    QCOMPARE(got, expected);
}

QTEST_GUILESS_MAIN(TestHuaweiParse)
#include "tst_huawei_parse.moc"
