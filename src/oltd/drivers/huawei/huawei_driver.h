#pragma once

#include "oltd/driver.h"
#include "oltd/drivers/device_options.h"
#include "oltd/drivers/huawei/huawei_parse.h"
#include "oltd/onu_index.h"
#include "oltd/session/command_line.h"

#include <chrono>
#include <optional>

namespace oltd {

// A Huawei SmartAX OLT (MA5600T, MA5608T, MA5800) through its command line.
// One instance serves one OLT over one logged-in line, one request at a
// time; the instances of one OLT share its OnuIndex. Every operation leaves
// the line in privileged mode. Nothing is saved to the OLT's startup
// configuration: saving is the engineer's decision.
class HuaweiDriver final : public Driver {
public:
    HuaweiDriver(CommandLine& line, OnuIndex& index, DeviceOptions options = {});

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
    // An ONT found for a MAC, with what display ont info showed of it.
    struct Ont {
        QString mac; // digits
        huawei::OntInfo info;
    };
    enum class Need { Registered, Online, Omci };

    // Finds the ONT for the MAC, checks what the operation needs, runs
    // body(ont, answer, result) and settles the line.
    template <class Out, class Body> Out withOnu(const OnuRef& ref, Need need, Body body);
    CommandReply send(const QString& command, Confirm confirm = Confirm::No);
    std::optional<QString> exec(const QString& command, Result& r, Confirm confirm = Confirm::No);
    void notUnderstood(const QString& command, const QString& answer, Result& r);
    bool enterBoard(const huawei::Fsp& fsp, Result& r);
    template <class Parse>
    auto boardRead(const Ont& ont, const char* words, Parse parse, Result& r)
        -> decltype(parse(QString()));
    bool enterConfig(Result& r);
    bool leaveConfig(Result& r);
    // Ends every operation: back to privileged mode, transcript attached.
    void settle(Result& r);

    std::optional<huawei::OntInfo> ontInfo(const huawei::Fsp& fsp, int ontId, Result& r);
    std::optional<Ont> resolve(const OnuRef& ref, Need need, Result& r);
    std::optional<Ont> atPlace(const OnuRef& ref, Result& r);
    QString nameOf(const Ont& ont) const;
    std::optional<Ont> searchTables(const QString& digits, Result& r);
    std::optional<Ont> searchWanMacs(const QString& digits, Result& r);
    void remember(const huawei::Fsp& fsp, int ontId, const QString& serial, const QString& mac);

    bool learnMacs(Result& r);
    QList<OnuSummary> findByOctets(const QString& digits, int limit, Result& r);
    QList<OnuSummary> findBySerial(const QString& key, Result& r);
    std::optional<QList<huawei::ServicePort>> servicePorts(const QString& command, Result& r);
    std::optional<QList<huawei::Fsp>> portsInUse(Result& r);
    std::optional<QList<huawei::PortSummary>> summaries(Result& r);
    std::optional<huawei::OntConfig> ontConfig(const Ont& ont, Result& r);
    std::optional<huawei::WanInfo> internetWan(const Ont& ont, Result& r);
    // How far the OLT's clock is ahead of ours, in seconds; 0 when it does
    // not say.
    qint64 clockSkew(Result& r);
    OnuSummary summaryOf(const huawei::Fsp& fsp, const huawei::SummaryRow& row) const;

    CommandLine& m_line;
    OnuIndex& m_index;
    DeviceOptions m_options;
    bool m_lineOpen = false; // the last command was answered with a prompt
    std::optional<std::chrono::steady_clock::time_point> m_lastWanScan;
};

} // namespace oltd
