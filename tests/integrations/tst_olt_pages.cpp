#include "integrations/olt_pages.h"

#include <QTest>

using integrations::OltPage;

class TestOltPages : public QObject {
    Q_OBJECT

private slots:
    void everyPageWithItsKeysInOrder_data() {
        QTest::addColumn<OltPage>("page");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QByteArray>("url");
        const QStringList onu{QStringLiteral("192.0.2.11"), QStringLiteral("A4:7B:2C:10:01:01")};
        const QByteArray at = "http://olt.example:81/olt/";
        const QByteArray onuKeys = "?ip=192.0.2.11&mac=A4%3A7B%3A2C%3A10%3A01%3A01";
        QTest::addRow("status") << OltPage::OnuStatus << onu << at + "onu_status.php" + onuKeys;
        QTest::addRow("WAN status")
            << OltPage::OnuWanStatus << onu << at + "onu_wan_status.php" + onuKeys;
        QTest::addRow("WAN config")
            << OltPage::OnuWanConfig
            << onu + QStringList{QStringLiteral("anil"), QStringLiteral("101"),
                                 QStringLiteral("p&ss word"), QStringLiteral("1460")}
            << at + "onu_wan_config.php" + onuKeys +
                   "&bb_id=anil&bb_inner_vlan=101&bb_pas=p%26ss%20word&bb_mtu=1460";
        QTest::addRow("phone status")
            << OltPage::OnuPhoneStatus << onu << at + "onu_phone_status.php" + onuKeys;
        QTest::addRow("phone config")
            << OltPage::OnuPhoneConfig
            << onu + QStringList{QStringLiteral("2500"), QStringLiteral("pw"),
                                 QStringLiteral("ims.example"), QStringLiteral("k9148")}
            << at + "onu_phone_config.php" + onuKeys +
                   "&voip_vlan=2500&pas=pw&sip=ims.example&phone=k9148";
        QTest::addRow("Wi-Fi status")
            << OltPage::OnuWifiStatus << onu << at + "onu_wifi_status.php" + onuKeys;
        QTest::addRow("Wi-Fi config")
            << OltPage::OnuWifiConfig
            << onu + QStringList{QStringLiteral("My-Net"), QStringLiteral("a+b=c")}
            << at + "onu_wifi_config.php" + onuKeys + "&name=My-Net&pas=a%2Bb%3Dc";
        QTest::addRow("Wi-Fi config 5 GHz")
            << OltPage::OnuWifiConfig5
            << onu + QStringList{QStringLiteral("Café"), QStringLiteral("12345678")}
            << at + "onu_wifi_config5.php" + onuKeys + "&name=Caf%C3%A9&pas=12345678";
        QTest::addRow("reboot") << OltPage::OnuRestart << onu << at + "onu_restart.php" + onuKeys;
        QTest::addRow("reset") << OltPage::OnuReset << onu << at + "onu_reset.php" + onuKeys;
        QTest::addRow("offline, ip only")
            << OltPage::OnuOffline << onu << at + "onu_offline.php?ip=192.0.2.11";
        QTest::addRow("usage") << OltPage::Usage << onu << at + "usage.php" + onuKeys;
        QTest::addRow("VLAN check")
            << OltPage::VlanCheck << QStringList{QStringLiteral("OLT IP"), QStringLiteral("VLAN")}
            << at + "vlan_check.php?ip=OLT%20IP&vlan=VLAN";
        QTest::addRow("MAC, missing value sent empty")
            << OltPage::OnuMac << QStringList{QStringLiteral("192.0.2.11")}
            << at + "onu_mac.php?ip=192.0.2.11&mac=";
    }
    void everyPageWithItsKeysInOrder() {
        QFETCH(OltPage, page);
        QFETCH(QStringList, values);
        QFETCH(QByteArray, url);
        QCOMPARE(
            integrations::oltPageUrl(QStringLiteral("olt.example:81"), page, values).toEncoded(),
            url);
    }

    // The OLT account is filled in only where the browser still shows the
    // OLT's own page.
    void onlyTheOltsOwnPageIsItsLoginPage_data() {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("login");
        QTest::addRow("as navigated") << "https://10.20.0.7/"
                                      << "10.20.0.7" << true;
        QTest::addRow("no path") << "https://10.20.0.7"
                                 << "10.20.0.7" << true;
        QTest::addRow("https's own port") << "https://10.20.0.7:443/"
                                          << "10.20.0.7" << true;
        QTest::addRow("a port in the address") << "https://127.0.0.1:8443/"
                                               << "127.0.0.1:8443" << true;
        QTest::addRow("host names ignore case") << "https://OLT7.example/"
                                                << "olt7.example" << true;
        QTest::addRow("another host") << "https://10.20.0.8/"
                                      << "10.20.0.7" << false;
        QTest::addRow("a longer host") << "https://10.20.0.7.evil.example/"
                                       << "10.20.0.7" << false;
        QTest::addRow("another port") << "https://127.0.0.1:8444/"
                                      << "127.0.0.1:8443" << false;
        QTest::addRow("plain http") << "http://10.20.0.7/"
                                    << "10.20.0.7" << false;
        QTest::addRow("another page") << "https://10.20.0.7/login.asp"
                                      << "10.20.0.7" << false;
        QTest::addRow("a query") << "https://10.20.0.7/?next=/"
                                 << "10.20.0.7" << false;
        QTest::addRow("a user name") << "https://x@10.20.0.7/"
                                     << "10.20.0.7" << false;
        QTest::addRow("no page") << ""
                                 << "10.20.0.7" << false;
        QTest::addRow("no address") << "https:///"
                                    << "" << false;
        QTest::addRow("the caption before a search") << "https://OLT IP/"
                                                     << "OLT IP" << false;
    }
    void onlyTheOltsOwnPageIsItsLoginPage() {
        QFETCH(QString, shown);
        QFETCH(QString, address);
        QTEST(integrations::isOltLoginPage(QUrl(shown), address), "login");
    }
};

QTEST_GUILESS_MAIN(TestOltPages)
#include "tst_olt_pages.moc"
