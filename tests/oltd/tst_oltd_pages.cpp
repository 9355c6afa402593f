#include "oltd_fixture.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QSqlQuery>

namespace {

const QString kOnu = QStringLiteral("ip=192.0.2.11&mac=A4:7B:2C:10:01:01");

} // namespace

class TestOltdPages : public QObject {
    Q_OBJECT

private slots:
    // Values arrive percent-encoded from the client; the ONU gets them decoded.
    void configureThenStatusShowsTheNewValues_data() {
        QTest::addColumn<QString>("configure");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("shown");
        QTest::addRow("WAN") << QStringLiteral("onu_wan_config.php?") + kOnu +
                                    QStringLiteral("&bb_id=anil.kumar&bb_inner_vlan=333"
                                                   "&bb_pas=abcdefgh&bb_mtu=1480")
                             << QStringLiteral("onu_wan_status.php?") + kOnu
                             << QStringList{QStringLiteral("<th>User</th><td>anil.kumar</td>"),
                                            QStringLiteral("<th>VLAN</th><td>333</td>"),
                                            QStringLiteral("<th>MTU</th><td>1480</td>")};
        QTest::addRow("WAN, keys in another order")
            << QStringLiteral("onu_wan_config.php?bb_mtu=1460&bb_pas=abcdefgh&bb_inner_vlan=444"
                              "&bb_id=x.y&mac=A4:7B:2C:10:01:01&ip=192.0.2.11")
            << QStringLiteral("onu_wan_status.php?mac=A4:7B:2C:10:01:01&ip=192.0.2.11")
            << QStringList{QStringLiteral("<th>User</th><td>x.y</td>"),
                           QStringLiteral("<th>VLAN</th><td>444</td>"),
                           QStringLiteral("<th>MTU</th><td>1460</td>")};
        QTest::addRow("phone") << QStringLiteral("onu_phone_config.php?") + kOnu +
                                      QStringLiteral("&voip_vlan=2500&pas=s%26cret&sip="
                                                     "ims.kerala.example&phone=k914842700001")
                               << QStringLiteral("onu_phone_status.php?") + kOnu
                               << QStringList{
                                      QStringLiteral("<td>ims.kerala.example</td>"),
                                      QStringLiteral("<th>SIP user</th><td>+914842700001</td>"),
                                      QStringLiteral("<th>VoIP VLAN</th><td>2500</td>"),
                                      QStringLiteral("<th>Registered</th><td>yes</td>")};
        QTest::addRow("Wi-Fi 2.4 GHz")
            << QStringLiteral("onu_wifi_config.php?") + kOnu +
                   QStringLiteral("&name=Caf%C3%A9-Home&pas=a%20b%26c%3Cd%3E")
            << QStringLiteral("onu_wifi_status.php?") + kOnu
            << QStringList{QStringLiteral("<td>2.4 GHz</td><td>Café-Home</td><td>********</td>"),
                           QStringLiteral("<td>5 GHz</td><td>ZEL-0101-5G</td><td>********</td>")};
        QTest::addRow("Wi-Fi 5 GHz")
            << QStringLiteral("onu_wifi_config5.php?") + kOnu +
                   QStringLiteral("&name=My-Home-%F0%9F%98%80&pas=12345678")
            << QStringLiteral("onu_wifi_status.php?") + kOnu
            << QStringList{
                   QStringLiteral("<td>5 GHz</td><td>My-Home-\U0001F600</td><td>********</td>"),
                   QStringLiteral("<td>2.4 GHz</td><td>ZEL-0101</td>")};
    }
    void configureThenStatusShowsTheNewValues() {
        QFETCH(QString, configure);
        QFETCH(QString, status);
        QFETCH(QStringList, shown);
        OltdFixture f;
        const auto answer = f.get(configure);
        QCOMPARE(answer.status, 200);
        QVERIFY2(answer.body.contains("<b>OK</b>"), answer.body.constData());
        const QString page = f.page(status);
        for (const QString& s : shown)
            QVERIFY2(page.contains(s), qPrintable(s + QStringLiteral("\n") + page));
    }

    void aPasswordIsNeverShownInAPage() {
        OltdFixture f;
        const QString config =
            f.page(QStringLiteral("onu_wan_config.php?") + kOnu +
                   QStringLiteral("&bb_id=anil&bb_inner_vlan=101&bb_pas=Hidden%2Bpw&bb_mtu=1460"));
        const QString status = f.page(QStringLiteral("onu_wan_status.php?") + kOnu);
        QVERIFY(config.contains(QStringLiteral("bb_pas = ********")));
        QVERIFY(status.contains(QStringLiteral("<th>Password</th><td>********</td>")));
        for (const QString& page : {config, status})
            QVERIFY2(!page.contains(QStringLiteral("Hidden")), qPrintable(page));
    }

    void invalidSettingsAreRefusedByTheOnu_data() {
        QTest::addColumn<QString>("configure");
        QTest::addColumn<QString>("why");
        QTest::addRow("VLAN caption before a search")
            << QStringLiteral("onu_wan_config.php?") + kOnu +
                   QStringLiteral("&bb_id=a&bb_inner_vlan=VLAN&bb_pas=abcdefgh&bb_mtu=1460")
            << QStringLiteral("VLAN must be 1 to 4094");
        QTest::addRow("MTU") << QStringLiteral("onu_wan_config.php?") + kOnu +
                                    QStringLiteral("&bb_id=a&bb_inner_vlan=5&bb_pas=x&bb_mtu=9000")
                             << QStringLiteral("MTU must be 576 to 1500");
        QTest::addRow("Wi-Fi key of 7") << QStringLiteral("onu_wifi_config5.php?") + kOnu +
                                               QStringLiteral("&name=n&pas=1234567")
                                        << QStringLiteral("key must be 8 to 63");
    }
    void invalidSettingsAreRefusedByTheOnu() {
        QFETCH(QString, configure);
        QFETCH(QString, why);
        OltdFixture f;
        const auto answer = f.get(configure);
        QCOMPARE(answer.status, 502);
        QVERIFY(answer.body.contains("DEVICE_ERROR"));
        QVERIFY2(answer.body.contains(why.toUtf8()), answer.body.constData());
        QVERIFY(f.page(QStringLiteral("onu_wan_status.php?") + kOnu)
                    .contains(QStringLiteral("<th>VLAN</th><td>101</td>")));
    }

    void aRebootTakesTheOnuOfflineForAWhile() {
        OltdFixture f;
        QCOMPARE(f.get(QStringLiteral("onu_restart.php?") + kOnu).status, 200);
        QVERIFY(f.page(QStringLiteral("onu_status.php?") + kOnu)
                    .contains(QStringLiteral("<th>State</th><td>OFFLINE</td>")));
        const auto during = f.get(QStringLiteral("onu_wan_status.php?") + kOnu);
        QCOMPARE(during.status, 409);
        QVERIFY(during.body.contains("OFFLINE"));
        f.clock.advance(6);
        const QString after = f.page(QStringLiteral("onu_status.php?") + kOnu);
        QVERIFY2(after.contains(QStringLiteral("<th>State</th><td>ONLINE</td>")),
                 qPrintable(after));
        QVERIFY(after.contains(QStringLiteral("<th>Uptime</th><td>0 d 00:00:01</td>")));
    }

    void aResetReturnsTheFactoryValues() {
        OltdFixture f;
        f.get(QStringLiteral("onu_wifi_config.php?") + kOnu +
              QStringLiteral("&name=Mine&pas=mine1234"));
        f.get(QStringLiteral("onu_phone_config.php?") + kOnu +
              QStringLiteral("&voip_vlan=2500&pas=p&sip=ims.example&phone=k1"));
        QCOMPARE(f.get(QStringLiteral("onu_reset.php?") + kOnu).status, 200);
        f.clock.advance(6);
        const QString wifi = f.page(QStringLiteral("onu_wifi_status.php?") + kOnu);
        QVERIFY2(
            wifi.contains(QStringLiteral("<td>2.4 GHz</td><td>ZEL-0101</td><td>********</td>")),
            qPrintable(wifi));
        const QString wan = f.page(QStringLiteral("onu_wan_status.php?") + kOnu);
        QVERIFY(wan.contains(QStringLiteral("<th>Mode</th><td>DHCP</td>")));
        QVERIFY(wan.contains(QStringLiteral("<th>VLAN</th><td>none</td>")));
        QVERIFY(f.page(QStringLiteral("onu_phone_status.php?") + kOnu)
                    .contains(QStringLiteral("<th>Registered</th><td>no</td>")));
    }

    void onuMacAnswersOnlyASingleMatch_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("mac"); // empty: no match may be taken from the page
        QTest::addRow("trailing octets")
            << QStringLiteral("01:02") << QStringLiteral("A4:7B:2C:10:01:02");
        QTest::addRow("three octets pick one of two")
            << QStringLiteral("10:0a:01") << QStringLiteral("A4:7B:2C:10:0A:01");
        QTest::addRow("whole MAC with dashes")
            << QStringLiteral("b8-00-11-22-0a-01") << QStringLiteral("B8:00:11:22:0A:01");
        QTest::addRow("serial tail")
            << QStringLiteral("c8a10101") << QStringLiteral("A4:7B:2C:10:01:01");
        QTest::addRow("two match") << QStringLiteral("0A:01") << QString();
        QTest::addRow("none match") << QStringLiteral("EE:EE") << QString();
        QTest::addRow("other OLT's ONU") << QStringLiteral("02:01") << QString();
        QTest::addRow("not hex") << QStringLiteral("ZZ:01") << QString();
        QTest::addRow("empty") << QString() << QString();
    }
    void onuMacAnswersOnlyASingleMatch() {
        QFETCH(QString, key);
        QFETCH(QString, mac);
        OltdFixture f;
        const auto answer = f.get(QStringLiteral("onu_mac.php?ip=192.0.2.11&mac=") + key);
        const QString text = bodyText(answer.body);
        if (mac.isEmpty()) {
            QVERIFY(answer.status != 200);
            QVERIFY2(text.size() > 84, qPrintable(text));
            return;
        }
        QCOMPARE(answer.status, 200);
        QCOMPARE(text.size(), 84);
        QCOMPARE(text.mid(10, 17), mac); // characters 11 to 27
        // A browser folds runs of blanks and drops trailing ones.
        QVERIFY(!text.contains(QStringLiteral("  ")));
        QVERIFY(!text.endsWith(QLatin1Char(' ')));
    }

    void unknownOltOrOnuGetsANotFoundPage_data() {
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("says");
        QTest::addRow("OLT") << QStringLiteral("onu_status.php?ip=192.0.2.99&mac=A4:7B:2C:10:01:01")
                             << QStringLiteral("No OLT answers at 192.0.2.99");
        QTest::addRow("MAC") << QStringLiteral("onu_status.php?ip=192.0.2.11&mac=A4:7B:2C:10:02:01")
                             << QStringLiteral(
                                    "No ONU with MAC A4:7B:2C:10:02:01 on OLT 192.0.2.11");
        QTest::addRow("caption instead of a MAC")
            << QStringLiteral("onu_restart.php?ip=OLT%20IP&mac=")
            << QStringLiteral("No OLT answers at OLT IP");
        QTest::addRow("VLAN check elsewhere")
            << QStringLiteral("vlan_check.php?ip=10.9.9.9&vlan=101")
            << QStringLiteral("No OLT answers at 10.9.9.9");
    }
    void unknownOltOrOnuGetsANotFoundPage() {
        QFETCH(QString, request);
        QFETCH(QString, says);
        OltdFixture f;
        const auto answer = f.get(request);
        QCOMPARE(answer.status, 404);
        QVERIFY2(answer.body.contains(says.toUtf8()), answer.body.constData());
        QVERIFY(answer.body.contains("NOT_FOUND"));
    }

    void badRequestsGetTheirOwnPages_data() {
        QTest::addColumn<QString>("request");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        QTest::addRow("unknown page") << QStringLiteral("onu_status2.php?") + kOnu << 404
                                      << QStringLiteral("There is no page /olt/onu_status2.php");
        QTest::addRow("missing mac") << QStringLiteral("usage.php?ip=192.0.2.11") << 400
                                     << QStringLiteral("needs the key &quot;mac&quot;");
        QTest::addRow("missing last key")
            << QStringLiteral("onu_phone_config.php?") + kOnu +
                   QStringLiteral("&voip_vlan=1&pas=p&sip=s")
            << 400 << QStringLiteral("needs the key &quot;phone&quot;");
        QTest::addRow("VLAN not a number")
            << QStringLiteral("vlan_check.php?ip=192.0.2.11&vlan=VLAN") << 400
            << QStringLiteral("is not a VLAN number");
    }
    void badRequestsGetTheirOwnPages() {
        QFETCH(QString, request);
        QFETCH(int, status);
        QFETCH(QString, says);
        OltdFixture f;
        const auto answer = f.get(request);
        QCOMPARE(answer.status, status);
        QVERIFY2(answer.body.contains(says.toUtf8()), answer.body.constData());
    }

    void aPageOutsideOltIsNotServed() {
        OltdFixture f;
        const auto answer = integrations::httpGet(
            QUrl(QStringLiteral("http://127.0.0.1:%1/onu_status.php?%2").arg(f.port).arg(kOnu)),
            10);
        QCOMPARE(answer.status, 404);
    }

    void theVlanCheckListsItsUsers() {
        OltdFixture f;
        const QString used = f.page(QStringLiteral("vlan_check.php?ip=192.0.2.11&vlan=102"));
        QVERIFY2(used.contains(QStringLiteral("<td>A4:7B:2C:10:01:02</td>")), qPrintable(used));
        QVERIFY(used.contains(QStringLiteral("<td>meera.menon</td>")));
        QVERIFY(!used.contains(QStringLiteral("A4:7B:2C:10:01:01")));
        QVERIFY(f.page(QStringLiteral("vlan_check.php?ip=192.0.2.11&vlan=999"))
                    .contains(QStringLiteral("VLAN 999 is free on OLT 192.0.2.11.")));
    }

    // Only ONUs down longer than the configured hours go; one rebooting or
    // down for less stays. The page and the audit log name each removed.
    void clearingOfflineUsersRemovesOnlyTheLongOffline() {
        OltdFixture f;
        f.get(QStringLiteral("onu_restart.php?") + kOnu); // coming back, not gone
        const qint64 now = f.clock.now().toSecsSinceEpoch();
        setDown(f, QStringLiteral("A4:7B:2C:10:01:02"), now - 71 * 3600); // stays
        setDown(f, QStringLiteral("A4:7B:2C:10:0A:01"), now - 73 * 3600); // goes
        const QString cleared = f.page(QStringLiteral("onu_offline.php?ip=192.0.2.11"));
        QVERIFY2(cleared.contains(QStringLiteral("3 offline ONU(s) removed from 192.0.2.11")),
                 qPrintable(cleared));
        const QString down73 = QDateTime::fromSecsSinceEpoch(now - 73 * 3600)
                                   .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        QVERIFY2(cleared.contains(QStringLiteral("<td>1/1/3</td><td>1</td><td>ZTEGC8A10A01</td>"
                                                 "<td>A4:7B:2C:10:0A:01</td><td>ravi</td><td>") +
                                  down73 + QStringLiteral("</td><td>LOS</td><td>OK</td>")),
                 qPrintable(cleared));
        for (const char* kept : {"A4:7B:2C:10:01:01", "A4:7B:2C:10:01:02"})
            QVERIFY(!cleared.contains(QString::fromLatin1(kept)));
        const QList<QJsonObject> lines = auditLines(f.audit());
        QCOMPARE(lines.size(), 4);
        const QJsonArray toRemove = lines.at(2).value(QStringLiteral("remove")).toArray();
        const QJsonArray removed = lines.at(3).value(QStringLiteral("removed")).toArray();
        QCOMPARE(removed, toRemove);
        QCOMPARE(removed.size(), 3);
        QStringList macs;
        for (const QJsonValue& onu : removed)
            macs << onu.toObject().value(QStringLiteral("mac")).toString();
        QVERIFY2(macs.contains(QStringLiteral("A4:7B:2C:10:0A:01")),
                 qPrintable(macs.join(QLatin1Char(' '))));
        const QJsonObject ravi =
            removed.at(macs.indexOf(QStringLiteral("A4:7B:2C:10:0A:01"))).toObject();
        QCOMPARE(ravi.value(QStringLiteral("port")).toString(), QStringLiteral("1/1/3"));
        QCOMPARE(ravi.value(QStringLiteral("onu_id")).toString(), QStringLiteral("1"));
        QCOMPARE(ravi.value(QStringLiteral("serial")).toString(), QStringLiteral("ZTEGC8A10A01"));
        QCOMPARE(ravi.value(QStringLiteral("down_cause")).toString(), QStringLiteral("LOS"));
        QCOMPARE(QDateTime::fromString(ravi.value(QStringLiteral("down_since")).toString(),
                                       Qt::ISODateWithMs)
                     .toSecsSinceEpoch(),
                 now - 73 * 3600);
        QVERIFY(f.page(QStringLiteral("onu_offline.php?ip=192.0.2.11"))
                    .contains(QStringLiteral("No ONU has been offline that long on this OLT.")));
        QCOMPARE(f.get(QStringLiteral("onu_status.php?") + kOnu).status, 200);
        QCOMPARE(f.get(QStringLiteral("onu_status.php?ip=192.0.2.11&mac=A4:7B:2C:10:01:02")).status,
                 200);
    }

    void aLeadingKOfThePhoneIsAPlus_data() {
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("user");
        QTest::addRow("leading k")
            << QStringLiteral("k914842700001") << QStringLiteral("+914842700001");
        QTest::addRow("no k") << QStringLiteral("04842700001") << QStringLiteral("04842700001");
        QTest::addRow("only the first") << QStringLiteral("kk1") << QStringLiteral("+k1");
        QTest::addRow("k inside") << QStringLiteral("91k1") << QStringLiteral("91k1");
        QTest::addRow("capital K") << QStringLiteral("K91") << QStringLiteral("K91");
        QTest::addRow("empty") << QString() << QString();
    }
    void aLeadingKOfThePhoneIsAPlus() {
        QFETCH(QString, phone);
        QFETCH(QString, user);
        QCOMPARE(oltd::sipUserOf(phone), user);
    }

    // Every ONU init-sim makes for a subscriber comes up online, at a
    // plausible distance, with sane figures, and takes a configuration.
    void everyFreshSimulatedOnuIsOnlineAndSane() {
        support::TestDb client;
        client.exec(QStringLiteral("INSERT INTO af_site (site, ip) VALUES ('S1','192.0.2.60')"));
        QStringList macs;
        for (int i = 0; i < 120; ++i) {
            const QString mac = QStringLiteral("A4:%1:%2:10:%3:%4")
                                    .arg(i * 37 % 256, 2, 16, QLatin1Char('0'))
                                    .arg(i * 91 % 256, 2, 16, QLatin1Char('0'))
                                    .arg(i / 256, 2, 16, QLatin1Char('0'))
                                    .arg(i % 256, 2, 16, QLatin1Char('0'))
                                    .toUpper();
            macs << mac;
            client.exec(QStringLiteral("INSERT INTO OLT (SITE, IN_VLAN, ID, MAC, SN) VALUES "
                                       "('S1', '100', ?, ?, '')"),
                        {QStringLiteral("u%1").arg(i), mac});
        }
        QTemporaryDir dir;
        const QString sim = dir.filePath(QStringLiteral("net.db"));
        oltd::sim::initFromClientDb(client.path(), sim, false);
        support::SettableClock clock;
        clock.set(QDateTime::currentDateTime());
        oltd::SimulatedDriver driver(sim, clock, 5);
        for (const QString& mac : macs) {
            const oltd::OnuRef onu{QStringLiteral("192.0.2.60"), mac};
            const auto status = driver.onuStatus(onu);
            const auto& s = status.value;
            const QString what = mac + QStringLiteral(": ") + s.state + QLatin1Char(' ') +
                                 s.lastDownCause + QStringLiteral(" distance ") +
                                 QString::number(s.distanceMetres) + QStringLiteral(" up ") +
                                 QString::number(s.uptimeSeconds);
            QVERIFY2(status.result.ok() && s.state == QLatin1String("ONLINE"), qPrintable(what));
            QVERIFY2(s.distanceMetres > 0 && s.distanceMetres <= 20000, qPrintable(what));
            QVERIFY2(s.uptimeSeconds >= 600 && s.uptimeSeconds <= 11 * 86400, qPrintable(what));
            QVERIFY2(s.rxPowerDbm < -8 && s.rxPowerDbm > -28, qPrintable(what));
            QVERIFY2(s.oltRxPowerDbm < -8 && s.oltRxPowerDbm > -30, qPrintable(what));
            const auto traffic = driver.traffic(onu);
            QVERIFY2(traffic.value.rxBytes > 0 && traffic.value.txBytes > 0, qPrintable(what));
            QVERIFY2(driver
                         .wifiSet(onu, {oltd::Band::Ghz24, QStringLiteral("Home"),
                                        QStringLiteral("12345678")})
                         .ok(),
                     qPrintable(what));
        }
    }

    void usageGrowsWithUptime() {
        OltdFixture f;
        f.get(QStringLiteral("onu_restart.php?") + kOnu);
        f.clock.advance(5 + 100);
        const QString first = f.page(QStringLiteral("usage.php?") + kOnu);
        f.clock.advance(100);
        const QString second = f.page(QStringLiteral("usage.php?") + kOnu);
        static const QRegularExpression received(QStringLiteral("<th>Received</th><td>(\\d+) "));
        const qint64 a = received.match(first).captured(1).toLongLong();
        const qint64 b = received.match(second).captured(1).toLongLong();
        QVERIFY2(a > 0, qPrintable(first));
        QCOMPARE(b, 2 * a);
    }

    // Training and tests make the network answer each failure on demand.
    void everyResultCodeBecomesAReadablePage_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("wholeOlt");
        QTest::addColumn<int>("status");
        QTest::addRow("NOT_FOUND") << QStringLiteral("NOT_FOUND") << false << 404;
        QTest::addRow("OFFLINE") << QStringLiteral("OFFLINE") << false << 409;
        QTest::addRow("UNSUPPORTED") << QStringLiteral("UNSUPPORTED") << false << 501;
        QTest::addRow("NEEDS_ACS") << QStringLiteral("NEEDS_ACS") << false << 409;
        QTest::addRow("AUTH on the OLT") << QStringLiteral("AUTH") << true << 502;
        QTest::addRow("TIMEOUT on the OLT") << QStringLiteral("timeout") << true << 504;
        QTest::addRow("DEVICE_ERROR") << QStringLiteral("DEVICE_ERROR") << false << 502;
    }
    void everyResultCodeBecomesAReadablePage() {
        QFETCH(QString, code);
        QFETCH(bool, wholeOlt);
        QFETCH(int, status);
        OltdFixture f;
        QVERIFY(oltd::sim::setAnswer(f.simFile(), QStringLiteral("192.0.2.11"),
                                     wholeOlt ? QString() : QStringLiteral("a4:7b:2c:10:01:01"),
                                     code));
        for (const QString& page : {QStringLiteral("onu_status.php?"),
                                    QStringLiteral("onu_wifi_config.php?name=n&pas=12345678&")}) {
            const auto answer = f.get(page + kOnu);
            QCOMPARE(answer.status, status);
            QVERIFY2(answer.body.contains("<b>" + code.toUpper().toUtf8() + "</b>: The "),
                     answer.body.constData());
        }
        // The neighbour answers normally unless the whole OLT was told.
        const auto other =
            f.get(QStringLiteral("onu_status.php?ip=192.0.2.11&mac=A4:7B:2C:10:01:02"));
        QCOMPARE(other.status, wholeOlt ? status : 200);
        oltd::sim::setAnswer(f.simFile(), QStringLiteral("192.0.2.11"),
                             wholeOlt ? QString() : QStringLiteral("A4:7B:2C:10:01:01"),
                             QStringLiteral("OK"));
        QCOMPARE(f.get(QStringLiteral("onu_status.php?") + kOnu).status, 200);
    }

private:
    // Takes the ONU down as if its signal was lost at `since`.
    static void setDown(OltdFixture& f, const QString& mac, qint64 since) {
        const QString name = QStringLiteral("down");
        {
            QSqlDatabase db = oltd::sim::open(f.simFile(), name);
            QSqlQuery q(db);
            q.prepare(QStringLiteral("UPDATE onu SET state='LOS', down_cause='LOS', "
                                     "down_since=? WHERE mac=?"));
            q.addBindValue(since);
            q.addBindValue(mac);
            if (!q.exec() || q.numRowsAffected() != 1)
                QTest::qFail("the ONU could not be taken down", __FILE__, __LINE__);
        }
        QSqlDatabase::removeDatabase(name);
    }
};

QTEST_GUILESS_MAIN(TestOltdPages)
#include "tst_oltd_pages.moc"
