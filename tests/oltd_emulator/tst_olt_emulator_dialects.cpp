// The ZTE and Huawei emulators over telnet, checked against the device
// transcripts the drivers are written from: login, layouts, errors, settings
// read back, paging, confirmations, deletion and ONUs managed over TR-069.
#include "emulator_fixture.h"

#include <QRegularExpression>

using namespace oltemu;

class TestOltEmulatorDialects : public QObject {
    Q_OBJECT

private slots:
    void loginTranscript_data();
    void loginTranscript();
    void loginRefused_data();
    void loginRefused();
    void zteUserModeNeedsEnable();
    void answerLayout_data();
    void answerLayout();
    void settingReadBack_data();
    void settingReadBack();
    void paging_data();
    void paging();
    void pagerKeys_data();
    void pagerKeys();
    void huaweiLoginNotice_data();
    void huaweiLoginNotice();
    void huaweiFrameListIsItsPortLists();
    void releaseVariants_data();
    void releaseVariants();
    void reboot_data();
    void reboot();
    void rebootEnds();
    void zteDeletesOnu();
    void huaweiDeletesServicePortsThenOnt();
    void acsManagedOnuIgnoresOmciSettings_data();
    void acsManagedOnuIgnoresOmciSettings();
};

void TestOltEmulatorDialects::loginTranscript_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<QByteArray>("expected");
    QTest::addRow("zte") << Zte
                         << lines({"*********************************************",
                                   "   KRN exchange OLT - authorised staff only",
                                   "*********************************************", "",
                                   "Username:noc-oltd", "Password:"}) +
                                "KRN-C320#";
    QTest::addRow("huawei") << Huawei
                            << lines({">>User name:noc-oltd", ">>User password:", "",
                                      "  Huawei Integrated Access Software (MA5608T).",
                                      "  Copyright(C) Huawei Technologies Co., Ltd. 2002-2026. "
                                      "All rights reserved.",
                                      "",
                                      "  -------------------------------------------------------"
                                      "----------------------",
                                      "  User last login information:",
                                      "  -------------------------------------------------------"
                                      "----------------------",
                                      "  Access Type : Telnet", "  IP-Address  : 127.0.0.1",
                                      "  Login  Time : «time»", "  Logout Time : «time»",
                                      "  -------------------------------------------------------"
                                      "----------------------",
                                      ""}) +
                                   "VLG-MA5608T>";
}

// The whole dialogue as the device prints it, the password not echoed.
void TestOltEmulatorDialects::loginTranscript() {
    QFETCH(QString, state);
    QFETCH(QByteArray, expected);
    auto emu = startEmulator(state);
    TelnetClient c;
    QVERIFY(c.connectTo(emu->telnetPort()));
    const QByteArray user = state == Zte ? "Username:" : ">>User name:";
    QVERIFY(c.waitFor(user));
    c.send("noc-oltd\r\n");
    QVERIFY(c.waitFor(state == Zte ? "Password:" : "password:"));
    c.send("oltd-pass\r\n");
    QVERIFY(c.waitFor(expected.right(12)));
    // The last-login times run with the OLT's clock.
    static const QRegularExpression time(
        QStringLiteral("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\+05:30"));
    QCOMPARE(QString::fromUtf8(c.take()).replace(time, QStringLiteral("«time»")).toUtf8(),
             expected);
}

void TestOltEmulatorDialects::loginRefused_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<QJsonObject>("changes");
    QTest::addColumn<bool>("fault");
    QTest::addColumn<QByteArray>("refusal");
    QTest::addColumn<QByteArray>("last");
    const QJsonObject none;
    QTest::addRow("zte, wrong password")
        << Zte << none << false << QByteArray("Username:") << QByteArray();
    QTest::addRow("zte, login refused by fault")
        << Zte << none << true << QByteArray("Username:") << QByteArray();
    QTest::addRow("zte, with an error line")
        << Zte << QJsonObject{{QStringLiteral("badLoginLine"), true}} << false
        << QByteArray("%Error 20210: Bad username or password.\r\nUsername:")
        << QByteArray("%Error 20210: Bad username or password.\r\n");
    QTest::addRow("huawei, wrong password")
        << Huawei << none << false
        << QByteArray("  Username or password invalid.\r\n\r\n>>User name:")
        << QByteArray("  Reenter times have reached the upper limit.\r\n");
    QTest::addRow("huawei, login refused by fault")
        << Huawei << none << true
        << QByteArray("  Username or password invalid.\r\n\r\n>>User name:")
        << QByteArray("  Reenter times have reached the upper limit.\r\n");
}

// Two refusals ask again; the third ends the connection.
void TestOltEmulatorDialects::loginRefused() {
    QFETCH(QString, state);
    QFETCH(QJsonObject, changes);
    QFETCH(bool, fault);
    QFETCH(QByteArray, refusal);
    QFETCH(QByteArray, last);
    auto emu = startEmulator(state, changes);
    emu->faults().wrongPassword = fault;
    TelnetClient c;
    QVERIFY(c.connectTo(emu->telnetPort()));
    QVERIFY(c.waitFor(state == Zte ? "Username:" : ">>User name:"));
    for (int attempt = 1; attempt <= 3; ++attempt) {
        c.take();
        c.send("noc-oltd\n");
        QVERIFY(c.waitFor(state == Zte ? "Password:" : "password:"));
        c.take();
        c.send(fault ? "oltd-pass\n" : "guess\n");
        if (attempt < 3) {
            QVERIFY(c.waitFor(refusal));
            QCOMPARE(c.pending(), "\r\n" + refusal);
        }
    }
    QVERIFY(c.waitClosed());
    QCOMPARE(c.take(), "\r\n" + last);
}

// An account that lands in ">" is refused the session setup until "enable".
void TestOltEmulatorDialects::zteUserModeNeedsEnable() {
    auto emu = startEmulator(Zte, {{QStringLiteral("privileged"), false}});
    TelnetClient c;
    QVERIFY(c.connectTo(emu->telnetPort()));
    QVERIFY(c.waitFor("Username:"));
    c.send("noc-oltd\n");
    QVERIFY(c.waitFor("Password:"));
    c.send("oltd-pass\n");
    QVERIFY(c.waitFor("\r\nKRN-C320>"));
    QCOMPARE(
        c.command("terminal length 0", "KRN-C320>"),
        lines({QByteArray(9, ' ') + "^", "%Error 20200: Invalid input detected at '^' marker."}));
    c.send("enable\n");
    QVERIFY(c.waitFor("Password:"));
    c.take();
    c.send("zxr10\n");
    QVERIFY(c.waitFor("KRN-C320#"));
    QCOMPARE(c.take(), QByteArray("\r\nKRN-C320#")); // the enable password is not echoed
    QCOMPARE(c.command("terminal length 0", "KRN-C320#"), QByteArray());
}

void TestOltEmulatorDialects::answerLayout_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<Steps>("setup");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("prompt");
    QTest::addColumn<QByteArray>("expected");
    const Steps none;
    QTest::addRow("zte attenuation")
        << Zte << none << QByteArray("show pon power attenuation gpon-onu_1/2/3:7") << prompt(Zte)
        << lines({"           OLT                  ONU              Attenuation",
                  "--------------------------------------------------------------------------",
                  " up      Rx :-22.815(dbm)      Tx:2.104(dbm)        24.919(dB)", "",
                  " down    Tx :6.402(dbm)        Rx:-18.977(dbm)      25.379(dB)"});
    QTest::addRow("zte detail-info of an offline onu")
        << Zte << none << QByteArray("show gpon onu detail-info gpon-onu_1/2/3:3") << prompt(Zte)
        << lines({"ONU interface:         gpon-onu_1/2/3:3",
                  "  Name:                rao.p",
                  "  Type:                F670L",
                  "  State:               ready",
                  "  Admin state:         enable",
                  "  Phase state:         DyingGasp",
                  "  Config state:        success",
                  "  Authentication mode: sn",
                  "  SN Bind:             enable with SN check",
                  "  Serial number:       ZTEGC0FFEE03",
                  "  Password:            ",
                  "  Description:         KRN-0103",
                  "  Vport mode:          gemport",
                  "  DBA Mode:            Hybrid",
                  "  ONU Status:          enable",
                  "  OMCI BW Profile:     N/A",
                  "  Line Profile:        N/A",
                  "  Service Profile:     N/A",
                  "  Multicast encryption:disable",
                  "  ONU Distance:        0m",
                  "  Online Duration:     0h 0m 0s",
                  "  FEC:                 none",
                  "  1PPS+ToD:            disable",
                  "------------------------------------------",
                  "       Authpass Time          OfflineTime             Cause",
                  "   1   2026-11-02 09:00:00    2026-12-08 02:14:09     DyingGasp",
                  "   2   0000-00-00 00:00:00    0000-00-00 00:00:00     ",
                  "   3   0000-00-00 00:00:00    0000-00-00 00:00:00     ",
                  "   4   0000-00-00 00:00:00    0000-00-00 00:00:00     ",
                  "   5   0000-00-00 00:00:00    0000-00-00 00:00:00     ",
                  "   6   0000-00-00 00:00:00    0000-00-00 00:00:00     ",
                  "   7   0000-00-00 00:00:00    0000-00-00 00:00:00     ",
                  "   8   0000-00-00 00:00:00    0000-00-00 00:00:00     ",
                  "   9   0000-00-00 00:00:00    0000-00-00 00:00:00     ",
                  "  10   0000-00-00 00:00:00    0000-00-00 00:00:00     "});
    QTest::addRow("zte port state")
        << Zte << none << QByteArray("show gpon onu state gpon-olt_1/2/3") << prompt(Zte)
        << lines({"OnuIndex               Admin State  OMCC State   O7 State     Phase State",
                  "----------------------------------------------------------------------------",
                  "gpon-onu_1/2/3:1       enable       enable       operation    working",
                  "gpon-onu_1/2/3:2       enable       disable      unknown      LOS",
                  "gpon-onu_1/2/3:3       enable       disable      unknown      DyingGasp",
                  "gpon-onu_1/2/3:7       enable       enable       operation    working",
                  "ONU Number: 2/4"});
    QTest::addRow("zte port rx power")
        << Zte << none << QByteArray("show pon power onu-rx gpon-olt_1/2/3") << prompt(Zte)
        << lines({"Onu                 Rx power", "------------------------------------",
                  "gpon-onu_1/2/3:1    -19.220(dbm)", "gpon-onu_1/2/3:2    N/A",
                  "gpon-onu_1/2/3:3    N/A", "gpon-onu_1/2/3:7    -18.977(dbm)"});
    QTest::addRow("zte macs of a vlan")
        << Zte << none << QByteArray("show mac vlan 2105") << prompt(Zte)
        << lines({"Total mac address : 3", " ",
                  "Mac address      Vlan   Type      Port                         Vc",
                  "------------------------------------------------------------------------",
                  "c83a.3500.0101   2105   Dynamic   gpon-onu_1/2/3:1          vport 1",
                  "c83a.357e.2109   2105   Dynamic   gpon-onu_1/2/3:7          vport 1",
                  "0c9d.92e1.4a70   2105   Dynamic   xgei_1/21/1               "});
    QTest::addRow("zte find by serial")
        << Zte << none << QByteArray("show gpon onu by sn ZTEGC4A7D19E") << prompt(Zte)
        << lines({"SearchResult", "-----------------", "gpon-onu_1/2/3:7"});
    QTest::addRow("zte unknown serial")
        << Zte << none << QByteArray("show gpon onu by sn ZTEG00000000") << prompt(Zte)
        << lines({"%Code 32310-GPONSRV : No related information to show."});
    QTest::addRow("zte typo") << Zte << none
                              << QByteArray("show gpon onu detial-info gpon-onu_1/2/3:7")
                              << prompt(Zte)
                              << lines({QByteArray(23, ' ') + "^",
                                        "%Error 20200: Invalid input detected at '^' marker."});
    QTest::addRow("zte terminal width")
        << Zte << none << QByteArray("terminal width 511") << prompt(Zte)
        << lines(
               {QByteArray(18, ' ') + "^", "%Error 20200: Invalid input detected at '^' marker."});
    QTest::addRow("zte incomplete") << Zte << none << QByteArray("show gpon onu detail-info")
                                    << prompt(Zte) << lines({"%Error 20203: Incomplete command."});
    QTest::addRow("zte unknown vlan profile")
        << Zte
        << Steps{"configure terminal|KRN-C320(config)#",
                 "pon-onu-mng gpon-onu_1/2/3:7|KRN-C320(gpon-onu-mng)#"}
        << QByteArray("wan-ip 1 mode pppoe username u password p vlan-profile NONE host 1")
        << QByteArray("KRN-C320(gpon-onu-mng)#")
        << lines({"%Code 32310-GPONSRV : The vlan profile does not exist."});
    QTest::addRow("zte ssid name too long")
        << Zte
        << Steps{"configure terminal|KRN-C320(config)#",
                 "pon-onu-mng gpon-onu_1/2/3:7|KRN-C320(gpon-onu-mng)#"}
        << "ssid ctrl wifi_0/1 name " + QByteArray(33, 'n') << QByteArray("KRN-C320(gpon-onu-mng)#")
        << lines({QByteArray(23 + 24, ' ') + "^",
                  "%Error 20202: Invalid input detected at '^' marker.Invalid parameter"});
    QTest::addRow("zte mtu out of range")
        << Zte
        << Steps{"configure terminal|KRN-C320(config)#",
                 "pon-onu-mng gpon-onu_1/2/3:7|KRN-C320(gpon-onu-mng)#"}
        << QByteArray("wan 1 mtu 9000") << QByteArray("KRN-C320(gpon-onu-mng)#")
        << lines({QByteArray(23 + 10, ' ') + "^",
                  "%Error 20202: Invalid input detected at '^' marker.Invalid parameter"});
    QTest::addRow("zte unconfigured onus")
        << Zte << none << QByteArray("show gpon onu uncfg") << prompt(Zte)
        << lines({"OnuIndex                 Sn                  State",
                  "---------------------------------------------------------------------",
                  "gpon-onu_1/2/3:1         ZTEGC0FFEE99        unknown",
                  "gpon-onu_1/2/4:1         ZTEGC0FFEE98        unknown"});
    QTest::addRow("zte unconfigured onus of a port")
        << Zte << none << QByteArray("show gpon onu uncfg gpon-olt_1/2/4") << prompt(Zte)
        << lines({"OnuIndex                 Sn                  State",
                  "---------------------------------------------------------------------",
                  "gpon-onu_1/2/4:1         ZTEGC0FFEE98        unknown"});
    QTest::addRow("zte no unconfigured onu on a port")
        << Zte << none << QByteArray("show gpon onu uncfg gpon-olt_1/2/5") << prompt(Zte)
        << lines({"%Code 32310-GPONSRV : No related information to show."});
    QTest::addRow("zte onu interface config")
        << Zte << none << QByteArray("show running-config interface gpon-onu_1/2/3:7")
        << prompt(Zte)
        << lines({"Building configuration...", "interface gpon-onu_1/2/3:7", "  name bansal.r",
                  "  description KRN-0417", "  tcont 1 profile HSI-100M", "  gemport 1 tcont 1",
                  "  service-port 1 vport 1 user-vlan 2105 vlan 2105", "!", "end"});
    QTest::addRow("zte qinq onu interface config")
        << Zte << none << QByteArray("show running-config interface gpon-onu_1/2/3:1")
        << prompt(Zte)
        << lines({"Building configuration...", "interface gpon-onu_1/2/3:1", "  name iyer.k",
                  "  description KRN-0101", "  tcont 1 profile HSI-100M", "  gemport 1 tcont 1",
                  "  service-port 1 vport 1 user-vlan 2105 vlan 2105 svlan 3000", "!", "end"});
    QTest::addRow("zte sip profiles in the running config")
        << Zte << none << QByteArray("show running-config | include sip-profile") << prompt(Zte)
        << lines({"  sip-profile SIP-KRN proxy-server 10.11.0.60 port 5060 domain voip.zelnet"});
    QTest::addRow("zte onu types in the running config")
        << Zte << none << QByteArray("show running-config | include onu-type-if F670L")
        << prompt(Zte)
        << lines({"  onu-type-if F670L eth_0/1-4", "  onu-type-if F670L pots_0/1-2",
                  "  onu-type-if F670L wifi_0/1-8"});
    QTest::addRow("zte version") << Zte << none << QByteArray("show version") << prompt(Zte)
                                 << lines({"ZXR10 ROS Version V4.8.01A",
                                           "ZXA10 C320 Software, Version V2.1.0, RELEASE SOFTWARE",
                                           "Copyright (c) 2000-2026 by ZTE Corporation",
                                           "Compiled Mar  2 2025, 10:20:33",
                                           "System uptime is 112 days 4 hours 12 minutes"});
    QTest::addRow("zte onu equipment")
        << Zte << none << QByteArray("show gpon remote-onu equip gpon-onu_1/2/3:7") << prompt(Zte)
        << lines({"ONU interface:        gpon-onu_1/2/3:7", "Vendor ID:            ZTEG",
                  "Version:              V9.0", "Product code:         0",
                  "Equipment ID:         F670L", "Main software version:V9.0.11P1N12",
                  "Serial number:        ZTEGC4A7D19E"});
    QTest::addRow("zte vlan profile")
        << Zte << none << QByteArray("show onu profile vlan PPPOE-2105") << prompt(Zte)
        << lines({"Profile name:   PPPOE-2105", "Tag mode:       tag", "CVLAN:          2105",
                  "CVLAN priority: 0"});
    const QByteArray c600 = prompt(ZteC600);
    QTest::addRow("c600 unconfigured onus")
        << ZteC600 << none << QByteArray("show pon onu uncfg gpon_olt-1/2/3") << c600
        << lines({"OltIndex            Model                SN                  PW",
                  "------------------------------------------------------------------------",
                  "gpon_olt-1/2/3      F670L                ZTEGC0FFEE99        N/A"});
    QTest::addRow("c600 refuses the c320 words")
        << ZteC600 << none << QByteArray("show gpon onu uncfg") << c600
        << lines(
               {QByteArray(23, ' ') + "^", "%Error 140303: Invalid input detected at '^' marker."});
    QTest::addRow("c600 refuses the c320 names")
        << ZteC600 << none << QByteArray("show gpon onu detail-info gpon-onu_1/2/3:7") << c600
        << lines(
               {QByteArray(35, ' ') + "^", "%Error 140303: Invalid input detected at '^' marker."});
    QTest::addRow("c600 onu state")
        << ZteC600 << none << QByteArray("show gpon onu state gpon_olt-1/2/3 7") << c600
        << lines({"OnuIndex               Admin State  OMCC State   O7 State     Phase State",
                  "----------------------------------------------------------------------------",
                  "gpon_onu-1/2/3:7       enable       enable       operation    working",
                  "ONU Number: 1/1"});
    QTest::addRow("c600 macs on vports")
        << ZteC600 << none << QByteArray("show mac gpon onu gpon_onu-1/2/3:7") << c600
        << lines({"Total mac address : 1", " ",
                  "Mac address      Vlan   Type      Port                         Vc",
                  "------------------------------------------------------------------------",
                  "c83a.357e.2109   2105   Dynamic   vport-1/2/3.7:1           "});
    QTest::addRow("c600 vport interface config")
        << ZteC600 << none << QByteArray("show running-config-interface vport-1/2/3.1:1") << c600
        << lines({"Building configuration...", "interface vport-1/2/3.1:1",
                  "  service-port 1 user-vlan 2105 vlan 2105 svlan 3000", "!", "end"});
    QTest::addRow("c600 version") << ZteC600 << none << QByteArray("show version") << c600
                                  << lines({"ZXR10 ROSng Version V5.00.10",
                                            "ZXA10 C600 Software, Version V1.2.1, RELEASE SOFTWARE",
                                            "Copyright (c) 2000-2026 by ZTE Corporation",
                                            "Compiled Mar  2 2025, 10:20:33",
                                            "System uptime is 112 days 4 hours 12 minutes"});
    QTest::addRow("c600 onu mode names the interface")
        << ZteC600
        << Steps{"configure terminal|KRN-C600(config)#",
                 "interface gpon_onu-1/2/3:7|KRN-C600(config-if-gpon_onu-1/2/3:7)#",
                 "exit|KRN-C600(config)#", "pon-onu-mng gpon_onu-1/2/3:7|KRN-C600(gpon-onu-mng)#"}
        << QByteArray("wan-ip 1 mode dhcp vlan-profile PPPOE-2106 host 1")
        << QByteArray("KRN-C600(gpon-onu-mng)#")
        << lines({QByteArray(23 + 7, ' ') + "^",
                  "%Error 140303: Invalid input detected at '^' marker."});
    QTest::addRow("huawei port summary")
        << Huawei << none << QByteArray("display ont info summary 0/1/2") << prompt(Huawei)
        << lines(
               {"  ------------------------------------------------------------------------------",
                "  In port 0/1/2, the total of ONTs are: 3, online: 2",
                "  ------------------------------------------------------------------------------",
                "  ONT  Run     Last                Last                Last",
                "  ID   State   UpTime              DownTime            DownCause",
                "  ------------------------------------------------------------------------------",
                "  0    online  2026-11-19 21:40:03 2026-11-19 21:38:51 dying-gasp",
                "  5    online  2026-10-30 06:51:12 2026-10-30 06:49:58 dying-gasp",
                "  9    offline 2026-11-28 10:12:40 2026-12-06 23:05:17 LOSi/LOBi",
                "  ------------------------------------------------------------------------------",
                "  ONT        SN        Type          Distance Rx/Tx power  Description",
                "  ID                                    (m)      (dBm)",
                "  ------------------------------------------------------------------------------",
                "  0   48575443771A0B3C EG8145V5         922   -19.02/2.18  VLG-0118_iyer",
                "  5   485754439C2E71A4 EG8141A5         1874  -21.47/2.31  VLG-0233_mehta",
                "  9   4857544312F0D6E5 HG8310M          -     -/-          VLG-0301_khan",
                "  "
                "------------------------------------------------------------------------------"});
    QTest::addRow("huawei wan status")
        << Huawei << Steps{"config|VLG-MA5608T(config)#"}
        << QByteArray("display ont wan-info 0/1 2 5") << QByteArray("VLG-MA5608T(config)#")
        << lines({"  ---------------------------------------------------------------------",
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
                  "  Subnet mask                : 255.255.255.255",
                  "  Default gateway            : 100.74.0.1",
                  "  Manage VLAN                : 2218",
                  "  Manage priority            : 0",
                  "  Option60                   : Disable",
                  "  IPv4 Primary DNS           : 10.11.0.53",
                  "  IPv4 Secondary DNS         : 10.11.0.54",
                  "  MAC address                : E0A3-AC5F-18D2",
                  "  L2 encap-type              : PPPoE",
                  "  ---------------------------------------------------------------------"});
    QTest::addRow("huawei service ports of a vlan")
        << Huawei << none << QByteArray("display service-port vlan 2218") << prompt(Huawei)
        << lines({"  Switch-Oriented Flow List",
                  "  -----------------------------------------------------------------------------",
                  "   INDEX VLAN VLAN     PORT F/ S/ P VPI  VCI   FLOW  FLOW       RX   TX   STATE",
                  "         ID   ATTR     TYPE                    TYPE  PARA",
                  "  -----------------------------------------------------------------------------",
                  "     311 2218 common   gpon 0/1 /2  5    1     vlan  2218       8    8    up",
                  "  -----------------------------------------------------------------------------",
                  "   Total : 1  (Up/Down :    1/0)", "   Note : F--Frame, S--Slot, P--Port,",
                  "          VPI indicates ONT ID for PON, VCI indicates GEM index for GPON,",
                  "          v/e--vlan/encap, pri-tag--priority-tagged,",
                  "          ppp--pppoe, ip--ipoe, ip4--ipv4oe, ip6--ipv6oe",
                  "          ont, the index of ONT, ont-port, the index of ONT port"});
    QTest::addRow("huawei mac location")
        << Huawei << none << QByteArray("display location e0a3-ac5f-18d2") << prompt(Huawei)
        << lines({"  It will take several minutes, please wait or press CTRL_C to break",
                  "  ----------------------------------------------------------------------",
                  "  MAC             MAC TYPE  F/S/P    ONT ID  Port ID  Port Type  VLAN",
                  "  ----------------------------------------------------------------------",
                  "  e0a3-ac5f-18d2  DYNAMIC   0/ 1/2        5        1  ETH        2218",
                  "  ----------------------------------------------------------------------"});
    QTest::addRow("huawei typo") << Huawei << none << QByteArray("display ont infoo 0 1 2 5")
                                 << prompt(Huawei)
                                 << lines({QByteArray(24, ' ') + "^",
                                           "  % Unknown command, the error locates at '^'"});
    QTest::addRow("huawei ont id out of range")
        << Huawei << none << QByteArray("display ont info 0 1 2 200") << prompt(Huawei)
        << lines({QByteArray(35, ' ') + "^", "  % Parameter error, the error locates at '^'"});
    QTest::addRow("huawei unknown serial")
        << Huawei << none << QByteArray("display ont info by-sn 4857544300000000") << prompt(Huawei)
        << lines({"  Failure: The ONT does not exist"});
    const Steps board = {"config|VLG-MA5608T(config)#",
                         "interface gpon 0/1|VLG-MA5608T(config-if-gpon-0/1)#"};
    const QByteArray boardPrompt = "VLG-MA5608T(config-if-gpon-0/1)#";
    QTest::addRow("huawei optics of an offline ont")
        << Huawei << board << QByteArray("display ont optical-info 2 9") << boardPrompt
        << lines({"  Failure: The ONT is not online"});
    QTest::addRow("huawei wi-fi set")
        << Huawei << board << QByteArray("ont wlan-config 2 5 ssid-index 1") << boardPrompt
        << lines({QByteArray(36, ' ') + "^", "  % Unknown command, the error locates at '^'"});
    QTest::addRow("huawei delete with service ports")
        << Huawei << board << QByteArray("ont delete 2 5") << boardPrompt
        << lines({"  Failure: This configured object has some service virtual", "  ports"});
    QTest::addRow("huawei factory reset of another vendor's ont")
        << Huawei << board << QByteArray("ont factory-setting-restore 3 1") << boardPrompt
        << lines({"  Failure: The ONT can not support this operation"});
    QTest::addRow("huawei sip user set twice")
        << Huawei << board
        << QByteArray("sippstnuser add 2 5 1 mgid 1 username 0165 password p telno 0165")
        << boardPrompt << lines({"  Failure: Make configuration repeatedly"});
    const QByteArray dashes77 = "  " + QByteArray(77, '-');
    const QList<QByteArray> listHead = {
        dashes77, "  F/S/P   ONT  SN                Control     Run      Config   Match    Protect",
        "          ID                     flag        state    state    state    side", dashes77};
    QTest::addRow("huawei ont list of a port")
        << Huawei << none << QByteArray("display ont info 0 1 2 all") << prompt(Huawei)
        << lines(listHead +
                 QList<QByteArray>{
                     "  0/ 1/2    0  48575443771A0B3C  active      online   normal   match    no",
                     "  0/ 1/2    5  485754439C2E71A4  active      online   normal   match    no",
                     "  0/ 1/2    9  4857544312F0D6E5  active      offline  initial  initial  no",
                     dashes77, "  F/S/P   ONT  Description", "          ID", dashes77,
                     "  0/ 1/2    0  VLG-0118_iyer", "  0/ 1/2    5  VLG-0233_mehta",
                     "  0/ 1/2    9  VLG-0301_khan", dashes77,
                     "  In port 0/ 1/2 , the total of ONTs are: 3, online: 2", dashes77});
    QTest::addRow("huawei ont list of a board port")
        << Huawei << board << QByteArray("display ont info 3 all") << boardPrompt
        << lines(listHead +
                 QList<QByteArray>{
                     "  0/ 1/3    1  5A544547C4A7D19E  active      online   normal   match    no",
                     dashes77, "  F/S/P   ONT  Description", "          ID", dashes77,
                     "  0/ 1/3    1  VLG-0400_das", dashes77,
                     "  In port 0/ 1/3 , the total of ONTs are: 1, online: 1", dashes77});
    QTest::addRow("huawei ont list of an empty port")
        << Huawei << none << QByteArray("display ont info 0 1 7 all") << prompt(Huawei)
        << lines({"  Failure: There is no ONT available"});
    const QByteArray dashes76 = "  " + QByteArray(76, '-');
    QTest::addRow("huawei autofind")
        << Huawei << none << QByteArray("display ont autofind all") << prompt(Huawei)
        << lines({dashes76, "  Number              : 1", "  F/S/P               : 0/1/2",
                  "  Ont SN              : 485754430A1B2C3D (HWTC-0A1B2C3D)",
                  "  Password            : 0x00000000000000000000", "  Loid                : ",
                  "  Checkcode           : ", "  VendorID            : HWTC",
                  "  Ont Version         : 159D.A", "  Ont SoftwareVersion : V5R020C00S115",
                  "  Ont EquipmentID     : EG8145V5",
                  "  Ont autofind time   : 2026-12-09 16:40:11+05:30", dashes76,
                  "  The number of GPON autofind ONT is 1"});
    QTest::addRow("huawei autofind on a board port without any")
        << Huawei << board << QByteArray("display ont autofind 3") << boardPrompt
        << lines({"  Failure: The automatically found ONTs do not exist"});
    const QByteArray dashes73 = "  " + QByteArray(73, '-');
    const QList<QByteArray> macHead = {
        "  It will take some time, please wait...", dashes73,
        "  SRV-P BUNDLE TYPE MAC            MAC TYPE F /S /P  VPI  VCI   VLAN ID", "  INDEX INDEX",
        dashes73};
    const QList<QByteArray> macNote = {
        "  Note: F--Frame, S--Slot, P--Port,",
        "        VPI indicates ONT ID for PON, VCI indicates GEM index for GPON,",
        "        v/e--vlan/encap, pri-tag--priority-tagged,",
        "        ppp--pppoe, ip--ipoe, ip4--ipv4oe, ip6--ipv6oe"};
    QTest::addRow("huawei macs of a vlan")
        << Huawei << none << QByteArray("display mac-address vlan 2218") << prompt(Huawei)
        << lines(macHead +
                 QList<QByteArray>{
                     "    311 -      gpon e0a3-ac5f-18d2 dynamic  0 /1 /2  5    1     2218",
                     dashes73, "  Total: 1"} +
                 macNote);
    QTest::addRow("huawei macs of a port without service ports")
        << Huawei << none << QByteArray("display mac-address port 0/1/3") << prompt(Huawei)
        << lines(macHead +
                 QList<QByteArray>{
                     "      - -      gpon c83a-357e-2109 dynamic  0 /1 /3  1    1     2220",
                     "      - -      gpon c83a-357e-2110 dynamic  0 /1 /3  1    1     2220",
                     dashes73, "  Total: 2"} +
                 macNote);
    QTest::addRow("huawei no macs")
        << Huawei << none << QByteArray("display mac-address vlan 9") << prompt(Huawei)
        << lines({"  Failure: There is not any MAC address record"});
    QTest::addRow("huawei vlans")
        << Huawei << none << QByteArray("display vlan all") << prompt(Huawei)
        << lines(
               {dashes77, "  VLAN   Type    Attribute  STND-Port NUM  SERV-Port NUM  VLAN-Con NUM",
                dashes77, "  2217   smart   common                 1              1             -",
                "  2218   smart   common                 1              1             -",
                "  2219   smart   common                 1              1             -", dashes77,
                "  Total: 3", "  Note : STND-Port--standard port, SERV-Port--service virtual port,",
                "         VLAN-Con--vlan-connect"});
    QTest::addRow("huawei one vlan")
        << Huawei << none << QByteArray("display vlan 2218") << prompt(Huawei)
        << lines({"  VLAN ID: 2218", "  VLAN name: VLAN_2218", "  VLAN type: smart",
                  "  VLAN attribute: common", "  VLAN description: ", "  Standard port number: 1",
                  "  Service virtual port number: 1", dashes77,
                  "  INDEX    TYPE  STATE  F/ S/ P  VPI   VCI   FLOWTYPE  FLOWPARA", dashes77,
                  "    311    gpon  up     0/1 /2   5     1     vlan      2218", dashes77,
                  "  Note : F--Frame, S--Slot, P--Port,",
                  "         VPI indicates ONT ID for PON, VCI indicates GEM index for GPON"});
    QTest::addRow("huawei unknown vlan")
        << Huawei << none << QByteArray("display vlan 5") << prompt(Huawei)
        << lines({"  Failure: The VLAN does not exist"});
    QTest::addRow("huawei mmi-mode")
        << Huawei << Steps{"config|VLG-MA5608T(config)#"} << QByteArray("mmi-mode enable")
        << QByteArray("VLG-MA5608T(config)#") << QByteArray();
    QTest::addRow("huawei mmi-mode outside config")
        << Huawei << none << QByteArray("mmi-mode enable") << prompt(Huawei)
        << lines({QByteArray(12, ' ') + "^", "  % Unknown command, the error locates at '^'"});
}

// Each answer exactly: labels, padding, placeholders, totals, CR LF.
void TestOltEmulatorDialects::answerLayout() {
    QFETCH(QString, state);
    QFETCH(Steps, setup);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, prompt);
    QFETCH(QByteArray, expected);
    auto emu = startEmulator(state);
    auto c = telnetLogin(*emu, state);
    QVERIFY(c);
    if (state != Huawei)
        c->command("terminal length 0", ::prompt(state));
    runSteps(*c, setup);
    QCOMPARE(c->command(command, prompt), expected);
}

void TestOltEmulatorDialects::settingReadBack_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<QByteArray>("show");
    QTest::addColumn<Steps>("expected");
    const Steps mng = {"configure terminal|KRN-C320(config)#",
                       "pon-onu-mng gpon-onu_1/2/3:7|KRN-C320(gpon-onu-mng)#"};
    const QByteArray end = "end|KRN-C320#";
    QTest::addRow("zte wan") << Zte
                             << mng + Steps{"wan-ip 1 mode pppoe username new@zelnet "
                                            "password npw vlan-profile PPPOE-2106 host 1|"
                                            "KRN-C320(gpon-onu-mng)#",
                                            end}
                             << QByteArray("show gpon remote-onu wan-ip gpon-onu_1/2/3:7")
                             << Steps{"User name:      new@zelnet\r\n", "Password:       npw\r\n",
                                      "CVLAN:          2106\r\n"};
    QTest::addRow("zte wan in running config")
        << Zte
        << mng + Steps{"wan-ip 1 mode dhcp vlan-profile PPPOE-2106 host 1|KRN-C320(gpon-onu-mng)#",
                       end}
        << QByteArray("show onu running config gpon-onu_1/2/3:7")
        << Steps{"  service HSI gemport 1 vlan 2106\r\n",
                 "  wan-ip 1 mode dhcp vlan-profile PPPOE-2106 host 1\r\n"};
    QTest::addRow("zte wi-fi")
        << Zte
        << mng + Steps{"ssid ctrl wifi_0/5 name Bansal_5G|KRN-C320(gpon-onu-mng)#",
                       "ssid auth wpa wifi_0/5 key fresh-key-55|KRN-C320(gpon-onu-mng)#", end}
        << QByteArray("show onu running config gpon-onu_1/2/3:7")
        << Steps{"  ssid ctrl wifi_0/5 name Bansal_5G\r\n",
                 "  ssid auth wpa wifi_0/5 wpa2-psk encrypt aes key fresh-key-55\r\n"};
    QTest::addRow("zte voip")
        << Zte
        << mng + Steps{"sip-service pots_0/1 profile SIP-KRN userid 0124 username 0124 "
                       "password spw|KRN-C320(gpon-onu-mng)#",
                       end}
        << QByteArray("show onu running config gpon-onu_1/2/3:7")
        << Steps{"  sip-service pots_0/1 profile SIP-KRN userid 0124 username 0124 "
                 "password spw\r\n"};
    QTest::addRow("zte vlan profile made in gpon mode")
        << Zte
        << Steps{"configure terminal|KRN-C320(config)#",
                 "gpon|KRN-C320(config-gpon)#",
                 "onu profile vlan PPPOE-3000 tag-mode tag cvlan 3000|KRN-C320(config-gpon)#",
                 "exit|KRN-C320(config)#",
                 "pon-onu-mng gpon-onu_1/2/3:7|KRN-C320(gpon-onu-mng)#",
                 "wan-ip 1 mode dhcp vlan-profile PPPOE-3000 host 1|KRN-C320(gpon-onu-mng)#",
                 end}
        << QByteArray("show gpon remote-onu wan-ip gpon-onu_1/2/3:7")
        << Steps{"Mode:           DHCP\r\n", "CVLAN:          3000\r\n"};
    QTest::addRow("zte vlan profile in the running config")
        << Zte
        << Steps{"configure terminal|KRN-C320(config)#", "gpon|KRN-C320(config-gpon)#",
                 "onu profile vlan PPPOE-3000 tag-mode tag cvlan 3000|KRN-C320(config-gpon)#", end}
        << QByteArray("show running-config | include PPPOE-3000")
        << Steps{"  onu profile vlan PPPOE-3000 tag-mode tag cvlan 3000\r\n"};
    QTest::addRow("zte wan mtu") << Zte
                                 << mng + Steps{"wan 1 mtu 1492|KRN-C320(gpon-onu-mng)#", end}
                                 << QByteArray("show onu running config gpon-onu_1/2/3:7")
                                 << Steps{"  wan 1 mtu 1492\r\n"};
    QTest::addRow("zte voip vlan profile")
        << Zte
        << mng + Steps{"voip-ip mode dhcp vlan-profile PPPOE-2106 host 2|KRN-C320(gpon-onu-mng)#",
                       end}
        << QByteArray("show onu running config gpon-onu_1/2/3:7")
        << Steps{"  voip-ip mode dhcp vlan-profile PPPOE-2106 host 2\r\n"};
    const Steps c600mng = {"configure terminal|KRN-C600(config)#",
                           "pon-onu-mng gpon_onu-1/2/3:7|KRN-C600(gpon-onu-mng)#"};
    QTest::addRow("c600 wan")
        << ZteC600
        << c600mng + Steps{"wan-ip ipv4 mode pppoe username new@zelnet password npw "
                           "vlan-profile PPPOE-2106 host 1|KRN-C600(gpon-onu-mng)#",
                           "end|KRN-C600#"}
        << QByteArray("show gpon remote-onu wan-ip gpon_onu-1/2/3:7")
        << Steps{"User name:      new@zelnet\r\n", "CVLAN:          2106\r\n"};
    QTest::addRow("c600 wpa2 key")
        << ZteC600
        << c600mng + Steps{"ssid auth wpa wifi_0/1 auth-algrithm wpa2-psk encrypt aes key "
                           "fresh-key-11|KRN-C600(gpon-onu-mng)#",
                           "end|KRN-C600#"}
        << QByteArray("show onu running config gpon_onu-1/2/3:7")
        << Steps{"  wan-ip ipv4 mode pppoe username kr0417@zelnet password pw0417 "
                 "vlan-profile PPPOE-2105 host 1\r\n",
                 "  ssid auth wpa wifi_0/1 auth-algrithm wpa2-psk encrypt aes key "
                 "fresh-key-11\r\n"};
    const Steps board = {"config|VLG-MA5608T(config)#",
                         "interface gpon 0/1|VLG-MA5608T(config-if-gpon-0/1)#"};
    const QByteArray boardPrompt = "|VLG-MA5608T(config-if-gpon-0/1)#";
    QTest::addRow("huawei wan")
        << Huawei
        << board + Steps{"ont ipconfig 2 5 ip-index 0 pppoe vlan 2218 priority 0 "
                         "user-account username new@zelnet password npw" +
                             boardPrompt,
                         "ont internet-config 2 5 ip-index 0" + boardPrompt}
        << QByteArray("display current-configuration ont 0/1/2 5")
        << Steps{" ont ipconfig 2 5 ip-index 0 pppoe vlan 2218 priority 0 user-account "
                 "username new@zelnet password npw\r\n"};
    QTest::addRow("huawei voip")
        << Huawei
        << board + Steps{"undo sippstnuser 2 5 1" + boardPrompt,
                         "sippstnuser add 2 5 1 mgid 1 username 0165 password spw telno "
                         "0165" +
                             boardPrompt}
        << QByteArray("display current-configuration ont 0/1/2 5")
        << Steps{" sippstnuser add 2 5 1 mgid 1 username 0165 password spw telno 0165\r\n"};
}

// A setting the device took is what the matching show command prints; the
// setting commands themselves are silent.
void TestOltEmulatorDialects::settingReadBack() {
    QFETCH(QString, state);
    QFETCH(Steps, steps);
    QFETCH(QByteArray, show);
    QFETCH(Steps, expected);
    auto emu = startEmulator(state);
    auto c = telnetLogin(*emu, state);
    QVERIFY(c);
    const QByteArray answers = runSteps(*c, steps);
    QVERIFY2(!answers.contains("%Error") && !answers.contains("%Code") &&
                 !answers.contains("Failure"),
             answers.constData());
    const QByteArray& last = steps.last();
    const QByteArray shown = c->command(show, last.mid(last.indexOf('|') + 1));
    for (const QByteArray& line : expected)
        QVERIFY2(shown.contains(line), shown.constData());
}

void TestOltEmulatorDialects::paging_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<QByteArray>("pagerOff");
    QTest::addColumn<bool>("stuck");
    QTest::addColumn<bool>("paged");
    const QByteArray zteOff = "terminal length 0";
    const QByteArray hwOff = "scroll";
    QTest::addRow("zte, pager on") << Zte << QByteArray() << false << true;
    QTest::addRow("zte, terminal length 0") << Zte << zteOff << false << false;
    QTest::addRow("zte, pager stuck") << Zte << zteOff << true << true;
    QTest::addRow("huawei, pager on") << Huawei << QByteArray() << false << true;
    QTest::addRow("huawei, scroll") << Huawei << hwOff << false << false;
    QTest::addRow("huawei, pager stuck") << Huawei << hwOff << true << true;
    QTest::addRow("zte, terminal length 512")
        << Zte << QByteArray("terminal length 512") << false << false;
    QTest::addRow("zte, terminal length 512, pager stuck")
        << Zte << QByteArray("terminal length 512") << true << true;
    QTest::addRow("huawei, scroll 512, pager stuck")
        << Huawei << QByteArray("scroll 512") << true << true;
}

// A long answer stops at the marker after a page; a space goes on after the
// vendor's erase sequence, and the whole answer is the one paging off gives.
void TestOltEmulatorDialects::paging() {
    QFETCH(QString, state);
    QFETCH(QByteArray, pagerOff);
    QFETCH(bool, stuck);
    QFETCH(bool, paged);
    const bool zte = state == Zte;
    // Offline ONUs, whose answers do not change from second to second.
    const QByteArray command =
        zte ? "show gpon onu detail-info gpon-onu_1/2/3:3" : "display ont info 0 1 2 9";
    const QByteArray marker = zte ? "--More--" : "---- More ( Press 'Q' to break ) ----";
    const QByteArray erase = zte ? QByteArray(8, '\b') + QByteArray(8, ' ') + QByteArray(8, '\b')
                                 : "\x1b[37D" + QByteArray(37, ' ') + "\x1b[37D";
    auto emu = startEmulator(state);
    auto reference = telnetLogin(*emu, state);
    QVERIFY(reference);
    if (zte)
        reference->command("terminal length 0", prompt(state));
    const QByteArray whole = reference->command(command, prompt(state));
    QVERIFY(whole.count("\r\n") > 24);

    emu->faults().pagerStuck = stuck;
    auto c = telnetLogin(*emu, state, false);
    QVERIFY(c);
    if (!pagerOff.isEmpty())
        QCOMPARE(c->command(pagerOff, prompt(state)), QByteArray());
    c->send(command + "\n");
    if (!paged) {
        QVERIFY(c->waitFor(whole + prompt(state)));
        QVERIFY(!c->pending().contains(marker));
        return;
    }
    QVERIFY(c->waitFor(marker));
    QByteArray got = c->take();
    QVERIFY(got.endsWith(marker));
    QCOMPARE(got.count("\r\n"), 24); // the echo and 23 lines
    c->send(" ");
    QVERIFY(c->waitFor("\r\n" + prompt(state)));
    QVERIFY(c->pending().startsWith(erase));
    got += c->take();
    got.replace(marker + erase, "");
    QCOMPARE(got, command + "\r\n" + whole + prompt(state));
}

void TestOltEmulatorDialects::pagerKeys_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("outcome"); // page, line or stop
    QTest::addRow("zte space") << Zte << QByteArray(" ") << QByteArray("page");
    QTest::addRow("zte enter") << Zte << QByteArray("\r\n") << QByteArray("line");
    QTest::addRow("zte q") << Zte << QByteArray("q") << QByteArray("stop");
    QTest::addRow("zte another key") << Zte << QByteArray("x") << QByteArray("stop");
    QTest::addRow("huawei space") << Huawei << QByteArray(" ") << QByteArray("page");
    QTest::addRow("huawei enter") << Huawei << QByteArray("\r\n") << QByteArray("line");
    QTest::addRow("huawei q") << Huawei << QByteArray("q") << QByteArray("stop");
}

// What a key at the pager marker does: the rest of the answer, one more
// line, or the prompt with the rest dropped. A CR LF is one key press.
void TestOltEmulatorDialects::pagerKeys() {
    QFETCH(QString, state);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, outcome);
    const bool zte = state == Zte;
    const QByteArray command =
        zte ? "show gpon onu detail-info gpon-onu_1/2/3:3" : "display ont info 0 1 2 9";
    const QByteArray marker = zte ? "--More--" : "---- More ( Press 'Q' to break ) ----";
    const QByteArray erase = zte ? QByteArray(8, '\b') + QByteArray(8, ' ') + QByteArray(8, '\b')
                                 : "\x1b[37D" + QByteArray(37, ' ') + "\x1b[37D";
    auto emu = startEmulator(state);
    auto reference = telnetLogin(*emu, state);
    QVERIFY(reference);
    if (zte)
        reference->command("terminal length 0", prompt(state));
    const QList<QByteArray> whole = reference->command(command, prompt(state)).split('\n');
    auto c = telnetLogin(*emu, state, false);
    QVERIFY(c);
    c->send(command + "\n");
    QVERIFY(c->waitFor(marker));
    c->take();
    c->send(key);
    if (outcome == "line") {
        QVERIFY(c->waitFor(marker));
        QCOMPARE(c->take(), erase + whole[23] + "\n" + marker); // line 24 of the answer
        c->send(" ");
        QVERIFY(c->waitFor(prompt(state)));
        QVERIFY(c->take().endsWith(whole[whole.size() - 2] + "\n" + prompt(state)));
    } else if (outcome == "stop") {
        QVERIFY(c->waitFor(prompt(state)));
        QCOMPARE(c->take(), erase + prompt(state));
    } else {
        QVERIFY(c->waitFor(prompt(state)));
        QVERIFY(c->take().endsWith(whole[whole.size() - 2] + "\n" + prompt(state)));
    }
    // The session is still in step: the next command is answered as usual.
    QCOMPARE(c->command(zte ? "show gpon onu by sn ZTEGC4A7D19E" : "display ont info by-sn x",
                        prompt(state)),
             zte ? lines({"SearchResult", "-----------------", "gpon-onu_1/2/3:7"})
                 : lines({"  Failure: The ONT does not exist"}));
}

void TestOltEmulatorDialects::huaweiLoginNotice_data() {
    QTest::addColumn<bool>("passwordChange");
    QTest::addColumn<Steps>("answers"); // "answer|awaited text"
    QTest::addColumn<bool>("admitted");
    const QByteArray notice = "[YES/NO]:";
    QTest::addRow("yes") << false << Steps{"YES|VLG-MA5608T>"} << true;
    QTest::addRow("yes in lower case") << false << Steps{"yes|VLG-MA5608T>"} << true;
    QTest::addRow("no") << false << Steps{"NO|log on\r\n"} << false;
    QTest::addRow("after the password question")
        << true << Steps{"N|" + notice, "YES|VLG-MA5608T>"} << true;
}

// The notice some units show before the first prompt: YES goes on, anything
// else ends the session.
void TestOltEmulatorDialects::huaweiLoginNotice() {
    QFETCH(bool, passwordChange);
    QFETCH(Steps, answers);
    QFETCH(bool, admitted);
    auto emu = startEmulator(Huawei, {{QStringLiteral("yesNoNotice"), true},
                                      {QStringLiteral("passwordChange"), passwordChange}});
    TelnetClient c;
    QVERIFY(c.connectTo(emu->telnetPort()));
    QVERIFY(c.waitFor(">>User name:"));
    c.send("noc-oltd\n");
    QVERIFY(c.waitFor("password:"));
    c.send("oltd-pass\n");
    QVERIFY(c.waitFor(passwordChange ? "Change now? [Y/N]:" : "[YES/NO]:"));
    if (!passwordChange)
        QVERIFY(c.take().endsWith(
            lines({"",
                   "  Notice: This device is for authorised operators only. All operations "
                   "are",
                   "  logged and audited."}) +
            "  Do you accept and continue? [YES/NO]:"));
    for (const QByteArray& step : answers) {
        c.take();
        const qsizetype bar = step.indexOf('|');
        c.send(step.left(bar) + "\n");
        QVERIFY(c.waitFor(step.mid(bar + 1)));
    }
    if (admitted) {
        QCOMPARE(c.command("enable", "VLG-MA5608T#"), QByteArray());
    } else {
        QVERIFY(c.waitClosed());
        QVERIFY(c.take().endsWith("  Configuration console exit, please retry to log on\r\n"));
    }
}

// The frame-wide list is the port lists one after another.
void TestOltEmulatorDialects::huaweiFrameListIsItsPortLists() {
    auto emu = startEmulator(Huawei);
    auto c = telnetLogin(*emu, Huawei);
    QVERIFY(c);
    const QByteArray port2 = c->command("display ont info 0 1 2 all", prompt(Huawei));
    const QByteArray port3 = c->command("display ont info 0 1 3 all", prompt(Huawei));
    QVERIFY(port2.contains("In port 0/ 1/2 ,") && port3.contains("In port 0/ 1/3 ,"));
    QCOMPARE(c->command("display ont info 0 all", prompt(Huawei)), port2 + port3);
    QCOMPARE(c->command("display ont info 1 all", prompt(Huawei)),
             lines({"  Failure: There is no ONT available"}));
}

void TestOltEmulatorDialects::releaseVariants_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<QJsonObject>("changes");
    QTest::addColumn<Steps>("steps"); // "command|prompt"; the answers are joined
    QTest::addColumn<Steps>("present");
    QTest::addColumn<QByteArray>("absent");
    const QJsonObject older = {{QStringLiteral("olderRelease"), true}};
    const QJsonObject newer = {{QStringLiteral("newSummaryHeader"), true}};
    const QByteArray hw = "|VLG-MA5608T#", hwConfig = "|VLG-MA5608T(config)#";
    const Steps board = {"config" + hwConfig,
                         "interface gpon 0/1|VLG-MA5608T(config-if-gpon-0/1)#"};
    QTest::addRow("zte older configuration notice")
        << Zte << older << Steps{"configure terminal|KRN-C320(config)#"}
        << Steps{"Enter configuration commands, one per line.  End with CTRL/Z.\r\n"}
        << QByteArray("%Info");
    QTest::addRow("zte older detail-info")
        << Zte << older << Steps{"show gpon onu detail-info gpon-onu_1/2/3:3|KRN-C320#"}
        << Steps{"  Description:         KRN-0103\r\n  Vport mode:",
                 "  Service Profile:     N/A\r\n  ONU Distance:"}
        << QByteArray("Config state");
    QTest::addRow("zte gpon service code 62310")
        << Zte << QJsonObject{{QStringLiteral("gponCode"), 62310}}
        << Steps{"show gpon onu by sn ZTEG00000000|KRN-C320#"}
        << Steps{"%Code 62310-GPONSRV : No related information to show.\r\n"}
        << QByteArray("32310");
    QTest::addRow("huawei older ont info without units")
        << Huawei << older << Steps{"display ont info 0 1 2 5" + hw}
        << Steps{"  Memory occupation       : 41\r\n", "  Temperature             : 44\r\n"}
        << QByteArray("(C)");
    QTest::addRow("huawei older wan-info labels")
        << Huawei << older << Steps{"config" + hwConfig, "display ont wan-info 0/1 2 5" + hwConfig}
        << Steps{"  Connection status          : Connected\r\n",
                 "  IP access type             : PPPoE\r\n",
                 "  IP                         : 100.74.9.201\r\n"}
        << QByteArray("IPv4 address");
    QTest::addRow("huawei older optics start at the receive power")
        << Huawei << older
        << board + Steps{"display ont optical-info 2 5|VLG-MA5608T(config-if-gpon-0/1)#"}
        << Steps{"  " + QByteArray(77, '-') +
                 "\r\n  Rx optical power(dBm)                  : -21.47\r\n"}
        << QByteArray("Module type");
    QTest::addRow("huawei ma5800 system up duration")
        << Huawei << QJsonObject{{QStringLiteral("model"), QStringLiteral("MA5800-X7")}}
        << Steps{"display ont info 0 1 2 9" + hw}
        << Steps{"  ONT online duration     : -\r\n  ONT system up duration  : -\r\n"}
        << QByteArray();
    QTest::addRow("huawei newer totals in the summary")
        << Huawei << newer << Steps{"display ont info summary 0/1/2" + hw}
        << Steps{"  In port 0/1/2, the total number of ONTs are: 3, online: 2, offline: 1\r\n"}
        << QByteArray("the total of");
    QTest::addRow("huawei newer totals in a list")
        << Huawei << newer << Steps{"display ont info 0 1 2 all" + hw}
        << Steps{"  In port 0/ 1/2 , the total number of ONTs are: 3, online: 2, offline: 1\r\n"}
        << QByteArray("the total of");
}

// Firmware releases and models that print the same facts differently.
void TestOltEmulatorDialects::releaseVariants() {
    QFETCH(QString, state);
    QFETCH(QJsonObject, changes);
    QFETCH(Steps, steps);
    QFETCH(Steps, present);
    QFETCH(QByteArray, absent);
    auto emu = startEmulator(state, changes);
    auto c = telnetLogin(*emu, state);
    QVERIFY(c);
    if (state != Huawei)
        c->command("terminal length 0", prompt(state));
    const QByteArray shown = runSteps(*c, steps);
    for (const QByteArray& text : present)
        QVERIFY2(shown.contains(text), shown.constData());
    if (!absent.isEmpty())
        QVERIFY2(!shown.contains(absent), shown.constData());
}

void TestOltEmulatorDialects::reboot_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<QByteArray>("confirm");
    QTest::addColumn<QByteArray>("question");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("rebooted");
    QTest::addRow("zte, no question")
        << Zte << QByteArray() << QByteArray() << QByteArray() << true;
    QTest::addRow("zte, yes") << Zte << QByteArray("yes/no")
                              << QByteArray("Confirm to reboot? [yes/no]:") << QByteArray("yes")
                              << true;
    QTest::addRow("zte, y") << Zte << QByteArray("Y/N") << QByteArray("Confirm to reboot? [Y/N]:")
                            << QByteArray("y") << true;
    QTest::addRow("zte, no") << Zte << QByteArray("yes/no")
                             << QByteArray("Confirm to reboot? [yes/no]:") << QByteArray("no")
                             << false;
    QTest::addRow("huawei, y") << Huawei << QByteArray()
                               << QByteArray("  Are you sure to reset the ONT(s)? (y/n)[n]:")
                               << QByteArray("y") << true;
    QTest::addRow("huawei, n") << Huawei << QByteArray()
                               << QByteArray("  Are you sure to reset the ONT(s)? (y/n)[n]:")
                               << QByteArray("n") << false;
}

// Reboot asks where the firmware asks, and takes the ONU offline only when
// confirmed.
void TestOltEmulatorDialects::reboot() {
    QFETCH(QString, state);
    QFETCH(QByteArray, confirm);
    QFETCH(QByteArray, question);
    QFETCH(QByteArray, answer);
    QFETCH(bool, rebooted);
    auto emu = startEmulator(state, {{QStringLiteral("confirm"), QString::fromLatin1(confirm)}});
    auto c = telnetLogin(*emu, state);
    QVERIFY(c);
    const bool zte = state == Zte;
    const QByteArray modePrompt =
        zte ? "KRN-C320(gpon-onu-mng)#" : "VLG-MA5608T(config-if-gpon-0/1)#";
    runSteps(*c, zte ? Steps{"configure terminal|KRN-C320(config)#",
                             "pon-onu-mng gpon-onu_1/2/3:7|KRN-C320(gpon-onu-mng)#"}
                     : Steps{"config|VLG-MA5608T(config)#",
                             "interface gpon 0/1|VLG-MA5608T(config-if-gpon-0/1)#"});
    const QByteArray command = zte ? "reboot" : "ont reset 2 5";
    if (question.isEmpty()) {
        QCOMPARE(c->command(command, modePrompt), QByteArray());
    } else {
        c->send(command + "\n");
        QVERIFY(c->waitFor(question));
        QCOMPARE(c->take(), command + "\r\n" + question);
        c->send(answer + "\n");
        QVERIFY(c->waitFor(modePrompt));
        QCOMPARE(c->take(), answer + "\r\n" + (zte || !rebooted ? "" : "\r\n") + modePrompt);
    }
    const QByteArray shown = zte ? c->command("show gpon onu state gpon-olt_1/2/3 7", modePrompt)
                                 : c->command("display ont info summary 0/1/2", modePrompt);
    const QByteArray row = zte ? (rebooted ? "gpon-onu_1/2/3:7       enable       disable      "
                                             "unknown      OffLine"
                                           : "operation    working")
                               : (rebooted ? "  5    offline" : "  5    online");
    QVERIFY2(shown.contains(row), shown.constData());
}

// A rebooted ONU comes back by itself, with a new session in its history.
void TestOltEmulatorDialects::rebootEnds() {
    auto emu = startEmulator(Zte, {{QStringLiteral("rebootMs"), 300}});
    auto c = telnetLogin(*emu, Zte);
    QVERIFY(c);
    runSteps(*c, {"configure terminal|KRN-C320(config)#",
                  "pon-onu-mng gpon-onu_1/2/3:7|KRN-C320(gpon-onu-mng)#",
                  "reboot|KRN-C320(gpon-onu-mng)#", "end|KRN-C320#"});
    QByteArray shown;
    for (int i = 0; i < 150 && !shown.contains("working"); ++i) {
        QTest::qWait(100);
        shown = c->command("show gpon onu state gpon-olt_1/2/3 7", "KRN-C320#");
    }
    QVERIFY2(shown.contains("operation    working"), shown.constData());
    c->command("terminal length 0", "KRN-C320#");
    const QByteArray detail = c->command("show gpon onu detail-info gpon-onu_1/2/3:7", "KRN-C320#");
    QVERIFY(detail.contains("   2   2026-10-22 19:11:30    2026-12-09 17:0"));
    QVERIFY(detail.contains("     DyingGasp\r\n   3   2026-12-09 17:0"));
}

void TestOltEmulatorDialects::zteDeletesOnu() {
    auto emu = startEmulator(Zte);
    auto c = telnetLogin(*emu, Zte);
    QVERIFY(c);
    const QByteArray answers = runSteps(*c, {"configure terminal|KRN-C320(config)#",
                                             "interface gpon-olt_1/2/3|KRN-C320(config-if)#",
                                             "no onu 7|KRN-C320(config-if)#"});
    QVERIFY(answers.endsWith("CTRL/Z.\r\n")); // the notice, then nothing
    QCOMPARE(c->command("no onu 7", "KRN-C320(config-if)#"),
             lines({"%Code 32310-GPONSRV : The ONU does not exist."}));
    QCOMPARE(c->command("end", "KRN-C320#"), QByteArray());
    QCOMPARE(c->command("show gpon onu detail-info gpon-onu_1/2/3:7", "KRN-C320#"),
             lines({"%Code 32310-GPONSRV : No related information to show."}));
}

// Service ports first (through the smart prompt and the confirmation), then
// the ONT.
void TestOltEmulatorDialects::huaweiDeletesServicePortsThenOnt() {
    auto emu = startEmulator(Huawei);
    auto c = telnetLogin(*emu, Huawei, false);
    QVERIFY(c);
    QCOMPARE(c->command("config", "VLG-MA5608T(config)#"), QByteArray());
    const QByteArray undo = "undo service-port port 0/1/2 ont 5";
    c->send(undo + "\n");
    QVERIFY(c->waitFor("{ <cr>|gemport<K> }:"));
    c->take();
    c->send("\n");
    QVERIFY(c->waitFor("(y/n)[n]:"));
    QCOMPARE(c->take(),
             lines({"", "  Command:", "          " + undo,
                    "  Warning: The operation will delete multiple or all service ports and cause "
                    "interruptions of many user services."}) +
                 "  Are you sure to release service virtual port(s)? (y/n)[n]:");
    QCOMPARE(c->command("y", "VLG-MA5608T(config)#"),
             lines({"  The number of total service virtual port in this", "  operation:       1",
                    "  Deleting start...", "",
                    "  Deleting end:", "  The number of total service virtual port which need be",
                    "  deleted:   1", "  The number of total service virtual port which have been",
                    "  deleted: 1", ""}));
    c->command("interface gpon 0/1", "VLG-MA5608T(config-if-gpon-0/1)#");
    QCOMPARE(c->command("ont delete 2 5", "VLG-MA5608T(config-if-gpon-0/1)#"),
             lines({"  Number of ONTs that can be deleted: 1, success: 1"}));
    QCOMPARE(c->command("display ont info 2 5", "VLG-MA5608T(config-if-gpon-0/1)#"),
             lines({"  Failure: The ONT does not exist"}));
}

void TestOltEmulatorDialects::acsManagedOnuIgnoresOmciSettings_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<QByteArray>("serial");
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<QByteArray>("show");
    QTest::addColumn<QByteArray>("present");
    QTest::addColumn<QByteArray>("absent");
    QTest::addRow("zte ssid does not take")
        << Zte << QByteArray("ZTEGC4A7D19E")
        << Steps{"configure terminal|KRN-C320(config)#",
                 "pon-onu-mng gpon-onu_1/2/3:7|KRN-C320(gpon-onu-mng)#",
                 "ssid ctrl wifi_0/1 name Other|KRN-C320(gpon-onu-mng)#", "end|KRN-C320#"}
        << QByteArray("show onu running config gpon-onu_1/2/3:7")
        << QByteArray("ssid ctrl wifi_0/1 name Bansal_Home") << QByteArray("Other");
    QTest::addRow("zte onu type managed outside omci")
        << Zte << QByteArray("ZTEGC4A7D19E") << Steps()
        << QByteArray("show running-config | include service-mgmt-via-non-omci")
        << QByteArray("  onu-type F670L gpon max-tcont 8 max-gemport 32 max-switch-perslot 8 "
                      "max-flow-perswitch 8 max-iphost 5 service-mgmt-via-non-omci\r\n")
        << QByteArray("ZTE-F660");
    QTest::addRow("huawei tr-069 ont shows no omci wan")
        << Huawei << QByteArray("HWTC9C2E71A4") << Steps{"config|VLG-MA5608T(config)#"}
        << QByteArray("display ont wan-info 0/1 2 5")
        << QByteArray("  ONT ID                     : 5") << QByteArray("Index");
    QTest::addRow("huawei tr-069 management shown")
        << Huawei << QByteArray("HWTC9C2E71A4") << Steps() << QByteArray("display ont info 0 1 2 5")
        << QByteArray("  Tr069 management        : Enable")
        << QByteArray("Tr069 management        : Disable");
}

void TestOltEmulatorDialects::acsManagedOnuIgnoresOmciSettings() {
    QFETCH(QString, state);
    QFETCH(QByteArray, serial);
    QFETCH(Steps, steps);
    QFETCH(QByteArray, show);
    QFETCH(QByteArray, present);
    QFETCH(QByteArray, absent);
    auto emu = startEmulator(state);
    QVERIFY(emu->state().setAcsOnly(QString::fromLatin1(serial), true));
    auto c = telnetLogin(*emu, state);
    QVERIFY(c);
    const QByteArray answers = runSteps(*c, steps);
    QVERIFY(!answers.contains("%Error") && !answers.contains("%Code"));
    const QByteArray p =
        steps.isEmpty() ? prompt(state) : steps.last().mid(steps.last().indexOf('|') + 1);
    const QByteArray shown = c->command(show, p);
    QVERIFY2(shown.contains(present), shown.constData());
    QVERIFY2(!shown.contains(absent), shown.constData());
}

QTEST_GUILESS_MAIN(TestOltEmulatorDialects)
#include "tst_olt_emulator_dialects.moc"
