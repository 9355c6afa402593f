#pragma once

#include "core/clock.h"
#include "oltd/driver.h"

#include <QHash>
#include <memory>
#include <optional>

namespace oltd {

namespace sim {
class SqliteFile;
class Statement;
} // namespace sim

// The simulated OLT network (simulated_network.h) behind the driver
// interface. It answers as a real OLT would: configuration changes the ONU's
// state, a reboot takes the ONU offline for a while, a reset brings back the
// factory settings, and an ONU or OLT told to answer a failure code does so
// for every operation.
class SimulatedDriver final : public Driver {
public:
    SimulatedDriver(const QString& file, const core::Clock& clock, int rebootSeconds);
    ~SimulatedDriver() override;

    Answer<Capabilities> capabilities(const OnuRef& onu) override;
    Answer<OnuStatus> onuStatus(const OnuRef& onu) override;
    Answer<WanSettings> wanGet(const OnuRef& onu) override;
    Result wanSet(const OnuRef& onu, const WanSettings& wan) override;
    Answer<VoipSettings> voipGet(const OnuRef& onu) override;
    Result voipSet(const OnuRef& onu, const VoipSettings& voip) override;
    Answer<QList<WifiSettings>> wifiGet(const OnuRef& onu) override;
    Result wifiSet(const OnuRef& onu, const WifiSettings& wifi) override;
    Result reboot(const OnuRef& onu) override;
    Result factoryReset(const OnuRef& onu) override;
    Answer<QList<OnuSummary>> offlineList(const QString& oltIp,
                                          const QDateTime& downBefore) override;
    Result onuDelete(const OnuRef& onu, const QDateTime& downBefore) override;
    Answer<TrafficSample> traffic(const OnuRef& onu) override;
    Answer<QList<OnuSummary>> onusByVlan(const QString& oltIp, int vlan) override;
    Answer<QList<OnuSummary>> findOnu(const QString& oltIp, const QString& key, int limit) override;

private:
    struct Onu;
    struct Lookup;
    struct FileStamp {
        qint64 inode = 0, size = 0, seconds = 0, nanoseconds = 0;
        bool operator==(const FileStamp&) const = default;
    };
    enum class Need { Registered, Online, Omci };
    // Finds the OLT and the ONU and checks what the operation needs; on
    // failure `result` says why and nothing is returned.
    using OnuPtr = std::shared_ptr<const Onu>;
    OnuPtr reach(const OnuRef& ref, Need need, Transcript& t, Result& result);
    // Every operation on one ONU: reach it (or answer why not), then run
    // `body(onu, transcript, answer)`; a fault of the network file is the
    // device failing.
    template <class Out, class Body> Out withOnu(const OnuRef& ref, Need need, Body body);
    bool reachOlt(const QString& oltIp, Transcript& t, Result& result);
    // The OLT's and ONU's rows, kept between pages until the file changes.
    const Lookup& lookup(const QString& oltIp, const QString& digits);
    FileStamp stamp() const;
    template <class... Values>
    void update(qint64 id, const QString& assignments, const Values&... values);
    QList<OnuSummary> summaries(const QString& condition, const QString& oltIp,
                                const QStringList& values, int limit = -1);
    qint64 now() const;

    std::unique_ptr<sim::SqliteFile> m_db;
    std::unique_ptr<sim::Statement> m_oltQuery; // prepared once: every page asks them
    std::unique_ptr<sim::Statement> m_onuQuery;
    QByteArray m_file, m_walFile;
    QHash<QString, Lookup> m_cache;
    FileStamp m_stamp;
    const core::Clock& m_clock;
    int m_rebootSeconds;
};

} // namespace oltd
