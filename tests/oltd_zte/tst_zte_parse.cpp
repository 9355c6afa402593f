#include "oltd/drivers/zte/zte_parse.h"

#include <QTest>

using namespace oltd::zte;

Q_DECLARE_METATYPE(oltd::zte::Refusal)

namespace {

QString text(const QStringList& lines) {
    return lines.join(QStringLiteral("\r\n"));
}

// Every 11th character turned into "~", as a line with noise shows it.
QString garbled(const QString& t) {
    QString out = t;
    for (qsizetype i = 10; i < out.size(); i += 11) {
        if (out[i] != QLatin1Char('\n') && out[i] != QLatin1Char('\r'))
            out[i] = QLatin1Char('~');
    }
    return out;
}

QString firstHalf(const QString& t) {
    return t.left(t.size() / 2);
}

const QTimeZone kIst(QByteArrayLiteral("Asia/Kolkata"));

const QStringList kDetail{
    QStringLiteral("ONU interface:         gpon-onu_1/2/3:7"),
    QStringLiteral("  Name:                bansal.r"),
    QStringLiteral("  Type:                F670L"),
    QStringLiteral("  State:               ready"),
    QStringLiteral("  Admin state:         enable"),
    QStringLiteral("  Phase state:         working"),
    QStringLiteral("  Config state:        success"),
    QStringLiteral("  Authentication mode: sn"),
    QStringLiteral("  SN Bind:             enable with SN check"),
    QStringLiteral("  Serial number:       ZTEGC4A7D19E"),
    QStringLiteral("  Password:"),
    QStringLiteral("  Description:         KRN-0417"),
    QStringLiteral("  Multicast encryption:disable"),
    QStringLiteral("  ONU Distance:        2874m"),
    QStringLiteral("  Online Duration:     1127h 4m 9s"),
    QStringLiteral("  FEC:                 none"),
    QStringLiteral("  1PPS+ToD:            disable"),
    QStringLiteral("------------------------------------------"),
    QStringLiteral("       Authpass Time          OfflineTime             Cause"),
    QStringLiteral("   1   2026-09-14 10:02:51    2026-10-22 18:40:07     DyingGasp"),
    QStringLiteral("   2   2026-10-22 19:11:30    0000-00-00 00:00:00"),
    QStringLiteral("   3   0000-00-00 00:00:00    0000-00-00 00:00:00"),
    QStringLiteral("  10   0000-00-00 00:00:00    0000-00-00 00:00:00     ")};

QString detailWith(const QString& label, const QString& value) {
    QStringList l = kDetail;
    for (QString& line : l) {
        if (line.trimmed().startsWith(label + QLatin1Char(':')))
            line = QStringLiteral("  %1:%2%3")
                       .arg(label, QString(20 - label.size(), QLatin1Char(' ')), value);
    }
    return text(l);
}

const QString kAttenuation = text(
    {QStringLiteral("           OLT                  ONU              Attenuation"),
     QStringLiteral("--------------------------------------------------------------------------"),
     QStringLiteral(" up      Rx :-22.815(dbm)      Tx:2.104(dbm)        24.919(dB)"), QString(),
     QStringLiteral(" down    Tx :6.402(dbm)        Rx:-18.977(dbm)      25.379(dB)")});

const QString kStates = text(
    {QStringLiteral("OnuIndex               Admin State  OMCC State   O7 State     Phase State"),
     QStringLiteral("----------------------------------------------------------------------------"),
     QStringLiteral("gpon-onu_1/2/3:1       enable       enable       operation    working"),
     QStringLiteral("gpon-onu_1/2/3:2       enable       disable      unknown      LOS"),
     QStringLiteral("gpon-onu_1/2/3:3       enable       disable      unknown      DyingGasp"),
     QStringLiteral("ONU Number: 2/3")});

const QString kWan =
    text({QStringLiteral("WAN id:         1"), QStringLiteral("Mode:           PPPoE"),
          QStringLiteral("Authentication: auto"), QStringLiteral("User name:      kr0417@zelnet"),
          QStringLiteral("Password:       pw0417"), QStringLiteral("Status:         connected"),
          QStringLiteral("VLAN tag mode:  tag"), QStringLiteral("CVLAN:          2105"),
          QStringLiteral("Current gateway:100.71.0.1"),
          QStringLiteral("MAC address:    c83a.357e.2109"), QStringLiteral("IP host id:     1")});

const QString kConfig = text(
    {QStringLiteral("pon-onu-mng gpon-onu_1/2/3:7"),
     QStringLiteral("  service HSI gemport 1 vlan 2105"),
     QStringLiteral("  wan-ip 1 mode pppoe username kr0417@zelnet password pw0417 vlan-profile "
                    "PPPOE-2105 host 1"),
     QStringLiteral("  wan-ip 1 ping-response enable traceroute-response enable"),
     QStringLiteral("  ssid ctrl wifi_0/1 name Bansal_Home"),
     QStringLiteral("  ssid auth wpa wifi_0/1 wpa2-psk encrypt aes key bansal-key-1"),
     QStringLiteral("  ssid ctrl wifi_0/5 name Bansal_5G"),
     QStringLiteral("  ssid auth wpa wifi_0/5 key fresh-key-55"),
     QStringLiteral(
         "  sip-service pots_0/1 profile SIP-KRN userid 0124 username 0124 password spw"),
     QStringLiteral("!")});

const QString kCounters = text(
    {QStringLiteral("gpon-onu_1/2/3:7 is activate,line protocol is up."),
     QStringLiteral("  Input rate :             21345 Bps        38 pps"),
     QStringLiteral("  Output rate:            402117 Bps       310 pps"),
     QStringLiteral("Total statistic:"), QStringLiteral(" Input :"),
     QStringLiteral("   PassPackets   :81127733     DropPackets   :0"),
     QStringLiteral("   PassBytes     :9914401188   UnicastsPkts  :8"), QStringLiteral(" Output :"),
     QStringLiteral("   PassPackets   :143020911    DropPackets   :12"),
     QStringLiteral("   PassBytes     :179238864101 UnicastsPkts  :1")});

const QString kVlan =
    text({QStringLiteral("vlanid          :2105"), QStringLiteral("name            :VLAN02105"),
          QStringLiteral("port(untagged):"), QStringLiteral("port(tagged):"),
          QStringLiteral("gpon-onu_1/2/3:7:1"), QStringLiteral("gpon-onu_1/2/3:21:1"),
          QStringLiteral("xgei_1/21/1"), QStringLiteral("sg1")});

const QString kMacs = text(
    {QStringLiteral("Total mac address : 2"), QStringLiteral(" "),
     QStringLiteral("Mac address      Vlan   Type      Port                         Vc"),
     QStringLiteral("------------------------------------------------------------------------"),
     QStringLiteral("c83a.357e.2109   2105   Dynamic   gpon-onu_1/2/3:7          vport 1"),
     QStringLiteral("0c9d.92e1.4a70   2105   Dynamic   xgei_1/21/1               ")});

} // namespace

class TestZteParse : public QObject {
    Q_OBJECT

private slots:
    void deviceAnswers_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<Refusal>("refusal");
        QTest::addRow("silence") << QString() << Refusal::None;
        QTest::addRow("notice")
            << QStringLiteral(
                   "%Info 20272: Enter configuration commands, one per line. End with CTRL/Z.")
            << Refusal::None;
        QTest::addRow("no related information")
            << QStringLiteral("%Code 32310-GPONSRV : No related information to show.")
            << Refusal::NotFound;
        QTest::addRow("other release's code")
            << QStringLiteral("%Code 62310-GPONSRV : No related information to show.")
            << Refusal::NotFound;
        QTest::addRow("onu does not exist")
            << QStringLiteral("%Code 32310-GPONSRV : The ONU does not exist.") << Refusal::NotFound;
        // "does not exist" about something else is not a missing ONU.
        QTest::addRow("profile does not exist")
            << QStringLiteral("%Code 32310-GPONSRV : The vlan profile does not exist.")
            << Refusal::Error;
        QTest::addRow("caret and invalid input")
            << QStringLiteral("                       ^\r\n%Error 20200: Invalid input detected "
                              "at '^' marker.")
            << Refusal::UnknownCommand;
        QTest::addRow("c600 invalid input")
            << QStringLiteral("%Error 140303: Invalid input detected at '^' marker.")
            << Refusal::UnknownCommand;
        QTest::addRow("invalid parameter")
            << QStringLiteral("%Error 20202: Invalid input detected at '^' marker.Invalid "
                              "parameter")
            << Refusal::Error;
        QTest::addRow("incomplete")
            << QStringLiteral("%Error 20203: Incomplete command.") << Refusal::Error;
        QTest::addRow("bad password")
            << QStringLiteral("%Error 20209: Bad password.") << Refusal::Error;
    }
    void deviceAnswers() {
        QFETCH(QString, answer);
        QFETCH(Refusal, refusal);
        QCOMPARE(judge(answer).refusal, refusal);
        if (refusal != Refusal::None)
            QVERIFY(judge(answer).text.startsWith(QLatin1Char('%')));
    }

    void detailInfoOfAWorkingOnu() {
        const auto info = parseDetailInfo(kDetail.join(QLatin1Char('\n')), kIst);
        QVERIFY(info);
        QCOMPARE(info->place, (OnuPlace{QStringLiteral("1/2/3"), 7}));
        QCOMPARE(info->type, QStringLiteral("F670L"));
        QCOMPARE(info->serial, QStringLiteral("ZTEGC4A7D19E"));
        QCOMPARE(info->phase, QStringLiteral("working"));
        QCOMPARE(info->distanceMetres, 2874);
        QCOMPARE(info->uptimeSeconds, 1127 * 3600 + 4 * 60 + 9);
        QCOMPARE(info->history.size(), 4);
        const auto latest = latestSession(*info);
        QVERIFY(latest);
        QCOMPARE(latest->authpass, QDateTime(QDate(2026, 10, 22), QTime(19, 11, 30), kIst));
        QVERIFY(!latest->offline.isValid()); // still up
        QCOMPARE(lastDownCause(*info), QStringLiteral("DyingGasp"));
    }

    // The newest session is not always the last row.
    void latestSessionByAuthpassTime() {
        QStringList l = kDetail.mid(0, 19);
        l << QStringLiteral("   1   2026-12-01 08:00:00    2026-12-06 23:05:17     LOS")
          << QStringLiteral("   2   2026-11-02 09:00:00    2026-11-30 02:14:09     DyingGasp");
        const auto info = parseDetailInfo(text(l), kIst);
        QVERIFY(info);
        QCOMPARE(latestSession(*info)->cause, QStringLiteral("LOS"));
        QCOMPARE(lastDownCause(*info), QStringLiteral("LOS"));
    }

    void detailInfoVariants_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("read");
        QTest::addColumn<int>("distance");
        QTest::addColumn<qint64>("uptime");
        QTest::addRow("offline, zero")
            << detailWith(QStringLiteral("ONU Distance"), QStringLiteral("0m")) << true << 0
            << qint64(1127 * 3600 + 249);
        QTest::addRow("offline, N/A")
            << detailWith(QStringLiteral("Online Duration"), QStringLiteral("N/A")) << true << 2874
            << qint64(0);
        QTest::addRow("LF CR line ends")
            << kDetail.join(QStringLiteral("\n\r")) << true << 2874 << qint64(1127 * 3600 + 249);
        QTest::addRow("unknown phase")
            << detailWith(QStringLiteral("Phase state"), QStringLiteral("rebooting")) << false << 0
            << qint64(0);
        QTest::addRow("serial cut")
            << detailWith(QStringLiteral("Serial number"), QStringLiteral("ZTEGC4A7")) << false << 0
            << qint64(0);
        QTest::addRow("distance without unit")
            << detailWith(QStringLiteral("ONU Distance"), QStringLiteral("2874")) << false << 0
            << qint64(0);
        QTest::addRow("minutes past 59")
            << detailWith(QStringLiteral("Online Duration"), QStringLiteral("1h 75m 0s")) << false
            << 0 << qint64(0);
        QTest::addRow("garbled") << garbled(text(kDetail)) << false << 0 << qint64(0);
        QTest::addRow("cut in half") << firstHalf(text(kDetail)) << false << 0 << qint64(0);
        QTest::addRow("cut in the history")
            << text(kDetail).left(text(kDetail).size() - 30) << false << 0 << qint64(0);
        QTest::addRow("other command's answer") << kStates << false << 0 << qint64(0);
    }
    void detailInfoVariants() {
        QFETCH(QString, answer);
        QFETCH(bool, read);
        const auto info = parseDetailInfo(answer, kIst);
        QCOMPARE(bool(info), read);
        if (read) {
            QTEST(info->distanceMetres, "distance");
            QTEST(info->uptimeSeconds, "uptime");
        }
    }

    void phases_data() {
        QTest::addColumn<QString>("phase");
        QTest::addColumn<QString>("state");
        QTest::addRow("working") << QStringLiteral("working") << QStringLiteral("ONLINE");
        QTest::addRow("LOS") << QStringLiteral("LOS") << QStringLiteral("LOS");
        QTest::addRow("dying gasp") << QStringLiteral("DyingGasp") << QStringLiteral("OFFLINE");
        QTest::addRow("offline") << QStringLiteral("OffLine") << QStringLiteral("OFFLINE");
        QTest::addRow("mib sync") << QStringLiteral("syncMib") << QStringLiteral("OFFLINE");
        QTest::addRow("unknown") << QStringLiteral("work~ng") << QStringLiteral("");
    }
    void phases() {
        QFETCH(QString, phase);
        QTEST(stateOfPhase(phase), "state");
    }

    void attenuation() {
        const auto o = parseAttenuation(kAttenuation);
        QVERIFY(o);
        QCOMPARE(*o->oltRx, -22.815);
        QCOMPARE(*o->onuTx, 2.104);
        QCOMPARE(*o->oltTx, 6.402);
        QCOMPARE(*o->onuRx, -18.977);
    }

    void attenuationVariants_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("read");
        QTest::addColumn<bool>("onuRxShown");
        QString offline = kAttenuation;
        offline.replace(QStringLiteral("-22.815(dbm)"), QStringLiteral("N/A"))
            .replace(QStringLiteral("2.104(dbm)"), QStringLiteral("N/A"))
            .replace(QStringLiteral("-18.977(dbm)"), QStringLiteral("N/A"));
        QTest::addRow("offline N/A") << offline << true << false;
        QTest::addRow("garbled") << garbled(kAttenuation) << false << false;
        QTest::addRow("down line missing") << firstHalf(kAttenuation) << false << false;
        QString noUnit = kAttenuation;
        noUnit.replace(QStringLiteral("-18.977(dbm)"), QStringLiteral("-18.977"));
        QTest::addRow("value without unit") << noUnit << false << false;
    }
    void attenuationVariants() {
        QFETCH(QString, answer);
        QFETCH(bool, read);
        const auto o = parseAttenuation(answer);
        QCOMPARE(bool(o), read);
        if (read)
            QTEST(bool(o->onuRx), "onuRxShown");
    }

    void onuStateTable_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("rows"); // -1: not read
        QTest::addRow("three rows, footer not trusted") << kStates << 3;
        QTest::addRow("empty port")
            << text({kStates.split(QStringLiteral("\r\n")).mid(0, 2).join(QStringLiteral("\n")),
                     QStringLiteral("ONU Number: 0/0")})
            << 0;
        QTest::addRow("cut before the count") << firstHalf(kStates) << -1;
        QTest::addRow("garbled") << garbled(kStates) << -1;
        QString extra = kStates;
        extra.replace(QStringLiteral("operation    working"),
                      QStringLiteral("operation    working   extra"));
        QTest::addRow("row with an extra column") << extra << -1;
    }
    void onuStateTable() {
        QFETCH(QString, answer);
        QFETCH(int, rows);
        const auto read = parseOnuStates(answer);
        QCOMPARE(read ? int(read->size()) : -1, rows);
        if (rows == 3) {
            QCOMPARE(read->at(2).place, (OnuPlace{QStringLiteral("1/2/3"), 3}));
            QCOMPARE(read->at(2).phase, QStringLiteral("DyingGasp"));
        }
    }

    void wanStatus() {
        const auto wans = parseWanStatus(kWan);
        QVERIFY(wans);
        QCOMPARE(wans->size(), 1);
        const WanStatus& w = wans->first();
        QCOMPARE(w.id, 1);
        QCOMPARE(w.mode, QStringLiteral("PPPoE"));
        QCOMPARE(w.user, QStringLiteral("kr0417@zelnet"));
        QCOMPARE(w.password, QStringLiteral("pw0417"));
        QCOMPARE(w.cvlan, 2105);
        QCOMPARE(w.macDigits, QStringLiteral("C83A357E2109"));
        QCOMPARE(parseWanStatus(kWan + QStringLiteral("\r\n") + kWan)->size(), 2);
        QCOMPARE(parseWanStatus(QString())->size(), 0);
    }

    void wanStatusRefused_data() {
        QTest::addColumn<QString>("answer");
        QString badVlan = kWan;
        badVlan.replace(QStringLiteral("2105"), QStringLiteral("21x5"));
        QTest::addRow("vlan not a number") << badVlan;
        QString badMac = kWan;
        badMac.replace(QStringLiteral("c83a.357e.2109"), QStringLiteral("c83a.357e"));
        QTest::addRow("mac cut") << badMac;
        QTest::addRow("no block header") << kWan.mid(kWan.indexOf(QLatin1String("Mode")));
        QTest::addRow("garbled") << garbled(kWan);
    }
    void wanStatusRefused() {
        QFETCH(QString, answer);
        QVERIFY(!parseWanStatus(answer));
    }

    void runningConfig() {
        const auto c = parseOnuConfig(kConfig);
        QVERIFY(c);
        QCOMPARE(c->wans.size(), 1);
        QCOMPARE(c->wans[0].mode, QStringLiteral("pppoe"));
        QCOMPARE(c->wans[0].user, QStringLiteral("kr0417@zelnet"));
        QCOMPARE(c->wans[0].password, QStringLiteral("pw0417"));
        QCOMPARE(c->wans[0].profile, QStringLiteral("PPPOE-2105"));
        QCOMPARE(c->wans[0].host, 1);
        QCOMPARE(wanVlan(*c, c->wans[0].profile), 2105);
        QCOMPARE(c->ssidNames.value(QStringLiteral("wifi_0/1")), QStringLiteral("Bansal_Home"));
        QCOMPARE(c->ssidKeys.value(QStringLiteral("wifi_0/1")), QStringLiteral("bansal-key-1"));
        // The key alone, without the algorithm, as some firmware takes it.
        QCOMPARE(c->ssidKeys.value(QStringLiteral("wifi_0/5")), QStringLiteral("fresh-key-55"));
        QCOMPARE(c->sips.size(), 1);
        QCOMPARE(c->sips[0].profile, QStringLiteral("SIP-KRN"));
        QCOMPARE(c->sips[0].user, QStringLiteral("0124"));
        QCOMPARE(c->sips[0].password, QStringLiteral("spw"));
    }

    void runningConfigVariants_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("read");
        QTest::addColumn<QString>("user"); // of WAN 1
        QTest::addRow("nothing configured") << QString() << true << QString();
        QTest::addRow("empty block")
            << QStringLiteral("pon-onu-mng gpon-onu_1/2/3:3\r\n!") << true << QString();
        // Values left empty are followed straight by the next keyword.
        QTest::addRow("empty wan values")
            << QStringLiteral("pon-onu-mng gpon-onu_1/2/3:3\n  wan-ip 1 mode pppoe username  "
                              "password  vlan-profile  host 1\n!")
            << true << QString();
        QTest::addRow("dhcp") << QStringLiteral("pon-onu-mng gpon-onu_1/2/3:3\n  wan-ip 1 mode "
                                                "dhcp vlan-profile PPPOE-2106 host 1\n!")
                              << true << QString();
        QTest::addRow("cut before the end") << firstHalf(kConfig) << false << QString();
        QString mode = kConfig;
        mode.replace(QStringLiteral("mode pppoe"), QStringLiteral("mode pp~oe"));
        QTest::addRow("unknown wan mode") << mode << false << QString();
        QString vlan = kConfig;
        vlan.replace(QStringLiteral("vlan 2105"), QStringLiteral("vlan 21~5"));
        QTest::addRow("service vlan garbled") << vlan << false << QString();
        QTest::addRow("line outside the block")
            << QStringLiteral("wan-ip 1 mode pppoe username u password p vlan-profile X host 1")
            << false << QString();
    }
    void runningConfigVariants() {
        QFETCH(QString, answer);
        QFETCH(bool, read);
        const auto c = parseOnuConfig(answer);
        QCOMPARE(bool(c), read);
        if (read && !c->wans.isEmpty())
            QTEST(c->wans[0].user, "user");
    }

    void wanVlanFromServices_data() {
        QTest::addColumn<QStringList>("services"); // "name vlan"
        QTest::addColumn<QString>("profile");
        QTest::addColumn<int>("vlan");
        QTest::addRow("named after the vlan")
            << QStringList{QStringLiteral("VOIP 510"), QStringLiteral("HSI 2105")}
            << QStringLiteral("PPPOE-2105") << 2105;
        QTest::addRow("single service")
            << QStringList{QStringLiteral("HSI 300")} << QStringLiteral("INTERNET") << 300;
        QTest::addRow("cannot tell")
            << QStringList{QStringLiteral("VOIP 510"), QStringLiteral("HSI 300")}
            << QStringLiteral("INTERNET") << 0;
        QTest::addRow("number inside a longer one")
            << QStringList{QStringLiteral("A 210"), QStringLiteral("B 2105")}
            << QStringLiteral("PPPOE-2105") << 2105;
    }
    void wanVlanFromServices() {
        QFETCH(QStringList, services);
        QFETCH(QString, profile);
        OnuConfig c;
        for (const QString& s : services)
            c.services.append(
                {s.section(QLatin1Char(' '), 0, 0), s.section(QLatin1Char(' '), 1).toInt()});
        QTEST(wanVlan(c, profile), "vlan");
    }

    void phoneLines_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<QStringList>("read"); // "port state"
        QTest::addRow("rows") << text({QStringLiteral("Port          Line state"),
                                       QStringLiteral("--------------------------------"),
                                       QStringLiteral("pots_0/1      Registered"),
                                       QStringLiteral("pots_0/2      Register failed")})
                              << true
                              << QStringList{QStringLiteral("pots_0/1 Registered"),
                                             QStringLiteral("pots_0/2 Register failed")};
        QTest::addRow("blocks") << text({QStringLiteral("Port:         pots_0/1"),
                                         QStringLiteral("Codec:        G.711"),
                                         QStringLiteral("Line state:   Idle"), QString(),
                                         QStringLiteral("Port:         pots_0/2"),
                                         QStringLiteral("Line state:   Registered")})
                                << true
                                << QStringList{QStringLiteral("pots_0/1 Idle"),
                                               QStringLiteral("pots_0/2 Registered")};
        QTest::addRow("no phone port")
            << QStringLiteral("Port          Line state") << true << QStringList();
        QTest::addRow("garbled port")
            << QStringLiteral("Port  Line state\npots~0/1  Registered") << false << QStringList();
        QTest::addRow("no header")
            << QStringLiteral("pots_0/1      Registered") << false << QStringList();
    }
    void phoneLines() {
        QFETCH(QString, answer);
        QFETCH(bool, readable);
        QFETCH(QStringList, read);
        const auto l = parsePhoneLines(answer);
        QCOMPARE(bool(l), readable);
        QStringList shown;
        for (const PhoneLine& p : l.value_or(QList<PhoneLine>()))
            shown << p.port + QLatin1Char(' ') + p.state;
        QCOMPARE(shown, read);
    }

    void registered_data() {
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("registered");
        QTest::addRow("registered") << "Registered" << true;
        QTest::addRow("lower case") << "registered" << true;
        QTest::addRow("failed") << "Register failed" << false;
        QTest::addRow("unregistered") << "Unregistered" << false;
        QTest::addRow("idle") << "Idle" << false;
    }
    void registered() {
        QFETCH(QString, state);
        QTEST(isRegistered(state), "registered");
    }

    void counters() {
        const auto c = parseCounters(kCounters);
        QVERIFY(c);
        // Past 32 bits: the counters are 64-bit.
        QCOMPARE(c->inBytes, Q_INT64_C(9914401188));
        QCOMPARE(c->outBytes, Q_INT64_C(179238864101));
        QVERIFY(!parseCounters(firstHalf(kCounters)));
        QVERIFY(!parseCounters(garbled(kCounters)));
        QString overflow = kCounters;
        overflow.replace(QStringLiteral("179238864101"), QStringLiteral("99999999999999999999"));
        QVERIFY(!parseCounters(overflow));
    }

    void vlanMembers() {
        const auto m = parseVlanMembers(kVlan);
        QVERIFY(m);
        QCOMPARE(*m,
                 (QList<OnuPlace>{{QStringLiteral("1/2/3"), 7}, {QStringLiteral("1/2/3"), 21}}));
        QString sameLine = kVlan;
        sameLine.replace(QStringLiteral("port(tagged):\r\n"), QStringLiteral("port(tagged):"));
        QCOMPARE(parseVlanMembers(sameLine)->size(), 2);
        QString bad = kVlan;
        bad.replace(QStringLiteral("gpon-onu_1/2/3:21:1"), QStringLiteral("gpon-onu_1/2/3:~1:1"));
        QVERIFY(!parseVlanMembers(bad));
        QVERIFY(!parseVlanMembers(kMacs));
    }

    void macTable() {
        const auto rows = parseMacTable(kMacs);
        QVERIFY(rows);
        QCOMPARE(rows->size(), 2);
        QCOMPARE(rows->at(0).macDigits, QStringLiteral("C83A357E2109"));
        QCOMPARE(rows->at(0).onu, (std::optional<OnuPlace>{{QStringLiteral("1/2/3"), 7}}));
        QVERIFY(!rows->at(1).onu); // an uplink is no subscriber
        QVERIFY(!parseMacTable(garbled(kMacs)));
        QString cut = kMacs;
        cut.chop(30);
        QVERIFY(!parseMacTable(cut));
    }

    void searchResult() {
        QCOMPARE(parseSearchResult(QStringLiteral("SearchResult\r\n-----------------\r\n"
                                                  "gpon-onu_1/2/3:7")),
                 (std::optional<OnuPlace>{{QStringLiteral("1/2/3"), 7}}));
        QVERIFY(!parseSearchResult(QStringLiteral("SearchResult\r\n-----------------")));
        QVERIFY(
            !parseSearchResult(QStringLiteral("SearchResult\ngpon-onu_1/2/3:7\ngpon-onu_1/2/4:1")));
    }

    void onuNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("id"); // -1: not an ONU
        QTest::addRow("onu") << QStringLiteral("gpon-onu_1/2/3:7") << 7;
        QTest::addRow("with vport") << QStringLiteral("gpon-onu_1/2/3:7:1") << 7;
        QTest::addRow("id past 128") << QStringLiteral("gpon-onu_1/2/3:129") << -1;
        QTest::addRow("port") << QStringLiteral("gpon-olt_1/2/3") << -1;
        QTest::addRow("c600 form") << QStringLiteral("gpon_onu-1/2/3:7") << -1;
    }
    void onuNames() {
        QFETCH(QString, name);
        const auto p = onuPlace(name);
        QTEST(p ? p->onuId : -1, "id");
    }

    void clock_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QDateTime>("time");
        QTest::addRow("time, zone, date") << QStringLiteral("17:02:44 IST Wed Dec 9 2026")
                                          << QDateTime(QDate(2026, 12, 9), QTime(17, 2, 44), kIst);
        QTest::addRow("with milliseconds") << QStringLiteral("17:02:44.120 IST Wed Dec 9 2026")
                                           << QDateTime(QDate(2026, 12, 9), QTime(17, 2, 44), kIst);
        QTest::addRow("iso") << QStringLiteral("2026-12-09 17:02:44")
                             << QDateTime(QDate(2026, 12, 9), QTime(17, 2, 44), kIst);
        QTest::addRow("unknown month")
            << QStringLiteral("17:02:44 IST Wed Dex 9 2026") << QDateTime();
        QTest::addRow("garbled") << QStringLiteral("17:0~:44 IST Wed Dec 9 2026") << QDateTime();
    }
    void clock() {
        QFETCH(QString, answer);
        QFETCH(QDateTime, time);
        const auto at = parseClock(answer, kIst);
        QCOMPARE(at.value_or(QDateTime()), time);
    }

    // Text that would end the command line early or ask the CLI for help.
    void cliTokens_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("sendable");
        QTest::addRow("plain") << QStringLiteral("kr0417@zelnet") << true;
        QTest::addRow("empty") << QStringLiteral("") << false;
        QTest::addRow("blank") << QStringLiteral("a b") << false;
        QTest::addRow("new line") << QStringLiteral("pw\nreboot") << false;
        QTest::addRow("question mark") << QStringLiteral("pw?") << false;
        QTest::addRow("non-ascii") << QStringLiteral("pässword") << false;
    }
    void cliTokens() {
        QFETCH(QString, text);
        QTEST(isCliToken(text), "sendable");
    }
};

QTEST_GUILESS_MAIN(TestZteParse)
#include "tst_zte_parse.moc"
