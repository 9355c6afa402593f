#include "core/workstation.h"

#include <QTest>

using core::NetworkAdapter;

namespace {

NetworkAdapter adapter(const char* name, const char* mac, bool physical, bool up = true,
                       QStringList ipv4 = {}) {
    NetworkAdapter a;
    a.name = QLatin1String(name);
    a.mac = QLatin1String(mac);
    a.physical = physical;
    a.up = up;
    a.loopback = a.name == QLatin1String("lo");
    a.ipv4 = ipv4;
    return a;
}

} // namespace

class TestWorkstation : public QObject {
    Q_OBJECT

private slots:
    void macListKeepsPhysicalAdaptersInOrder() {
        const QList<NetworkAdapter> adapters{
            adapter("lo", "00:00:00:00:00:00", false),
            adapter("eth0", "02:fc:00:00:00:01", true),
            adapter("docker0", "02:42:ac:11:00:02", false), // bridge
            adapter("veth1", "aa:bb:cc:00:11:22", false),
            adapter("wlan0", "3c-a9-f4-10-20-30", true),
            adapter("usb0", "", true), // a device without a MAC
        };
        const QStringList list = core::macAddressList(adapters);
        QCOMPARE(list, QStringList({QString(), QStringLiteral("02:FC:00:00:00:01"),
                                    QStringLiteral("3C:A9:F4:10:20:30")}));
        QCOMPARE(core::workstationMac(list), QStringLiteral("3C:A9:F4:10:20:30"));
    }

    void noAdapterLeavesTheEmptyEntryAndNoMac() {
        const QStringList list = core::macAddressList({adapter("lo", "00:00:00:00:00:00", false)});
        QCOMPARE(list, QStringList({QString()}));
        QCOMPARE(core::workstationMac(list), QString());
    }

    void ipIsTheFirstAddressOfTheLastAdapterUpThatHasOne() {
        const QList<NetworkAdapter> adapters{
            adapter("lo", "", false, true, {QStringLiteral("127.0.0.1")}),
            adapter("eth0", "02:fc:00:00:00:01", true, true,
                    {QStringLiteral("10.0.0.5"), QStringLiteral("10.0.0.6")}),
            adapter("wlan0", "3c:a9:f4:10:20:30", true, true, {QStringLiteral("192.168.1.7")}),
            adapter("eth1", "3c:a9:f4:10:20:31", true, false, {QStringLiteral("172.16.0.9")}),
            adapter("eth2", "3c:a9:f4:10:20:32", true, true, {}),
        };
        QCOMPARE(core::workstationIp(adapters), QStringLiteral("192.168.1.7"));
    }

    void macsAreNormalized_data() {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("mac");
        QTest::addRow("colons lower")
            << QStringLiteral("0a:1b:2c:3d:4e:5f") << QStringLiteral("0A:1B:2C:3D:4E:5F");
        QTest::addRow("dashes") << QStringLiteral("0A-1B-2C-3D-4E-5F")
                                << QStringLiteral("0A:1B:2C:3D:4E:5F");
        QTest::addRow("bare") << QStringLiteral("0a1b2c3d4e5f")
                              << QStringLiteral("0A:1B:2C:3D:4E:5F");
        QTest::addRow("all zeros") << QStringLiteral("00:00:00:00:00:00") << QString();
        QTest::addRow("too short") << QStringLiteral("0a:1b:2c") << QString();
        QTest::addRow("infiniband length")
            << QStringLiteral("80:00:02:08:fe:80:00:00:00:00") << QString();
    }
    void macsAreNormalized() {
        QFETCH(QString, raw);
        QFETCH(QString, mac);
        QCOMPARE(core::normalizedMac(raw), mac);
    }

    void theMachineItselfCanBeRead() {
        const auto adapters = core::SystemAdapters().adapters();
        QVERIFY(adapters.has_value());
        for (const QString& mac : core::macAddressList(*adapters).mid(1))
            QCOMPARE(core::normalizedMac(mac), mac);
    }
};

QTEST_GUILESS_MAIN(TestWorkstation)
#include "tst_workstation.moc"
