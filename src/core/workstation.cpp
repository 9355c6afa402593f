#include "core/workstation.h"

#include <QFileInfo>
#include <QNetworkInterface>
#include <QRegularExpression>

namespace core {

QString normalizedMac(const QString& mac) {
    QString hex = mac;
    hex.remove(QRegularExpression(QStringLiteral("[:\\-.]")));
    static const QRegularExpression sixPairs(QStringLiteral("^[0-9A-Fa-f]{12}$"));
    if (!sixPairs.match(hex).hasMatch() || hex == QLatin1String("000000000000"))
        return {};
    hex = hex.toUpper();
    QStringList pairs;
    for (int i = 0; i < 12; i += 2)
        pairs << hex.mid(i, 2);
    return pairs.join(QLatin1Char(':'));
}

QStringList macAddressList(const QList<NetworkAdapter>& adapters) {
    QStringList list{QString()};
    for (const NetworkAdapter& a : adapters) {
        const QString mac = normalizedMac(a.mac);
        if (a.physical && !a.loopback && !mac.isEmpty())
            list << mac;
    }
    return list;
}

QString workstationMac(const QStringList& macList) {
    QString mac;
    for (const QString& entry : macList)
        if (!entry.isEmpty())
            mac = entry;
    return mac;
}

QString workstationIp(const QList<NetworkAdapter>& adapters) {
    QString ip;
    for (const NetworkAdapter& a : adapters)
        if (a.up && !a.loopback && !a.ipv4.isEmpty())
            ip = a.ipv4.first();
    return ip;
}

std::optional<QList<NetworkAdapter>> SystemAdapters::adapters() const {
    const QList<QNetworkInterface> all = QNetworkInterface::allInterfaces();
    if (all.isEmpty())
        return std::nullopt;
    QList<NetworkAdapter> out;
    for (const QNetworkInterface& i : all) {
        NetworkAdapter a;
        a.name = i.name();
        a.mac = i.hardwareAddress();
        a.loopback = i.flags().testFlag(QNetworkInterface::IsLoopBack);
        a.up = i.flags().testFlag(QNetworkInterface::IsUp) &&
               i.flags().testFlag(QNetworkInterface::IsRunning);
        a.physical = QFileInfo::exists(QStringLiteral("/sys/class/net/%1/device").arg(i.name()));
        for (const QNetworkAddressEntry& e : i.addressEntries())
            if (e.ip().protocol() == QAbstractSocket::IPv4Protocol)
                a.ipv4 << e.ip().toString();
        out << a;
    }
    return out;
}

} // namespace core
