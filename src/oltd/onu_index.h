#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>
#include <optional>

namespace oltd {

// Where an ONU sits on its OLT, and what it is known by.
struct OnuLocation {
    QString port;   // the PON port: "1/2/3" (ZTE rack/slot/port), "0/1/2" (Huawei frame/slot/port)
    int onuId = -1; // the ONU's id on that port
    QString serial; // vendor id and 8 hex digits: "ZTEGC4A7D19E"
    QString mac;    // 12 upper-case hex digits (macDigits); empty when not known
    QDateTime seen; // when a device last showed this MAC on this ONU
};

// MAC <-> serial <-> port and ONU id for one OLT. An OLT shows a MAC only
// while traffic flows, so what was once seen is kept: an ONU that is offline
// now is still found by the MAC it had. Drivers fill it from the device's
// MAC tables on a miss and drop an entry the device contradicts. Shared by
// every session of the OLT; thread-safe. With a file it survives restarts.
class OnuIndex {
public:
    explicit OnuIndex(QString file = {});

    std::optional<OnuLocation> byMac(const QString& macDigits) const;
    // The last 8 hex digits of the serial decide (the same in every form).
    std::optional<OnuLocation> bySerial(const QString& serial) const;
    std::optional<OnuLocation> byOnu(const QString& port, int onuId) const;
    // Entries whose MAC ends with the key's hex digits or whose serial ends
    // with the key; at most `limit`.
    QList<OnuLocation> matching(const QString& key, int limit) const;
    QList<OnuLocation> all() const;

    // Records what a device showed. A MAC now seen on another ONU moves
    // there; an ONU id now holding another serial loses its old entries.
    void remember(const OnuLocation& location);
    void forgetMac(const QString& macDigits);
    void forgetOnu(const QString& port, int onuId);

private:
    void save() const; // with m_mutex held
    void load();

    QString m_file;
    mutable QMutex m_mutex;
    QHash<QString, OnuLocation> m_byMac; // key: MAC digits
    QList<OnuLocation> m_withoutMac;     // ONUs known by serial and place only
};

// The last 8 hex digits of a serial in any form ("ZTEGC4A7D19E",
// "5A544547C4A7D19E", "ZTEG-C4A7D19E"), upper case; empty when it has none.
QString serialTail(const QString& serial);

} // namespace oltd
