#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace core {

// One network adapter as the workstation reports it.
struct NetworkAdapter {
    QString name;
    QString mac;           // as reported, any case; empty when it has none
    bool physical = false; // backed by a device (not loopback, bridge, veth, tun, tap, ...)
    bool up = false;
    bool loopback = false;
    QStringList ipv4; // in the order the platform lists them
};

// Where the adapters come from: the machine itself, or a list a test supplies.
class AdapterSource {
public:
    virtual ~AdapterSource() = default;
    // The adapters in the platform's order, or nothing when they cannot be read.
    virtual std::optional<QList<NetworkAdapter>> adapters() const = 0;
};

// The machine's adapters through Qt Network; an adapter counts as physical
// when /sys/class/net/<name>/device exists.
class SystemAdapters final : public AdapterSource {
public:
    std::optional<QList<NetworkAdapter>> adapters() const override;
};

// The workstation MAC list: an empty first entry, then the MAC of every
// physical adapter that has one, as six upper-case hex pairs joined by ":".
QStringList macAddressList(const QList<NetworkAdapter>& adapters);
// The MAC that binds a login: the list's last non-empty entry.
QString workstationMac(const QStringList& macList);
// The first IPv4 address of the last adapter that is up, not loopback and has
// one; empty when none has.
QString workstationIp(const QList<NetworkAdapter>& adapters);
// "02fc00000001", "02-fc-00-00-00-01" -> "02:FC:00:00:00:01"; empty for
// anything that is not six hex pairs or is all zeros.
QString normalizedMac(const QString& mac);

} // namespace core
