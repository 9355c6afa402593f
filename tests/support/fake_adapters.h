#pragma once

#include "core/workstation.h"

namespace support {

// The workstation's network adapters as the test sets them. By default one
// physical, connected adapter; fail() makes them unreadable.
class FakeAdapters final : public core::AdapterSource {
public:
    FakeAdapters() {
        add(QStringLiteral("eth0"), QStringLiteral("02:AB:CD:00:00:01"),
            QStringLiteral("10.20.30.40"));
    }

    std::optional<QList<core::NetworkAdapter>> adapters() const override {
        if (m_failing)
            return std::nullopt;
        return m_list;
    }

    void clear() { m_list.clear(); }
    void add(const QString& name, const QString& mac, const QString& ipv4 = {},
             bool physical = true) {
        core::NetworkAdapter a;
        a.name = name;
        a.mac = mac;
        a.physical = physical;
        a.up = true;
        if (!ipv4.isEmpty())
            a.ipv4 << ipv4;
        m_list << a;
    }
    void fail(bool failing = true) { m_failing = failing; }

private:
    QList<core::NetworkAdapter> m_list;
    bool m_failing = false;
};

} // namespace support
