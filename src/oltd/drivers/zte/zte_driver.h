#pragma once

#include "oltd/driver.h"
#include "oltd/drivers/device_options.h"
#include "oltd/drivers/zte/zte_parse.h"
#include "oltd/onu_index.h"
#include "oltd/session/command_line.h"

#include <QHash>

namespace oltd {

// A ZTE ZXAN OLT (C300/C320) on its command line. One instance serves one
// OLT for one session and runs one request at a time; instances of the same
// OLT share the ONU index. Every operation leaves the device in exec mode and
// none saves the configuration: "write" stays an operator's decision.
class ZteDriver final : public Driver {
public:
    ZteDriver(CommandLine& line, OnuIndex& index, DeviceOptions options = {});

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
    struct Onu {
        zte::DetailInfo info;
        QString mac; // digits
    };
    template <class Out, class Body> Out operation(Body body);

    // The command line: send() passes a failed session on, ask() also ends
    // the operation when the device refuses the command.
    QString send(const QString& command, Confirm confirm = Confirm::No);
    QString ask(const QString& command, Confirm confirm = Confirm::No);
    void configure(const zte::OnuPlace& place, const QStringList& commands,
                   Confirm confirm = Confirm::No);
    void backToExec();
    void secret(const QString& text);

    std::optional<zte::DetailInfo> detail(const zte::OnuPlace& place);
    QList<zte::StateRow> states(const QString& command);
    QHash<QString, QString> phases(); // "1/2/3:7" -> phase, every ONU of the OLT
    zte::OnuConfig config(const zte::OnuPlace& place);
    QList<zte::PhoneLine> phoneLines(const Onu& onu);

    Onu reach(const OnuRef& ref);
    Onu reachPlace(const OnuRef& ref);
    std::optional<Onu> verify(const zte::OnuPlace& place, const QString& serial,
                              const QString& mac);
    std::optional<zte::OnuPlace> searchMac(const QString& mac);
    void learn(const zte::OnuPlace& place, const QString& mac);
    void learnSerial(const zte::OnuPlace& place, const QString& serial);
    void requireOnline(const Onu& onu);
    QString name(const Onu& onu) const;

    Result changeOnu(const OnuRef& ref, const QString& command, const QString& done);
    QDateTime downSince(const QDateTime& offline);
    std::optional<QDateTime> downFor(const zte::DetailInfo& info);
    OnuSummary summary(const zte::OnuPlace& place, const QString& state);
    QList<OnuSummary> macMatches(const QString& digits, int limit);
    QList<OnuSummary> serialMatches(const QString& key, int limit);

    CommandLine& m_line;
    OnuIndex& m_index;
    DeviceOptions m_options;
    QStringList m_secrets;
    bool m_lineUp = true;
    std::optional<qint64> m_clockSkew; // seconds the OLT's clock lags ours, once per request
};

} // namespace oltd
