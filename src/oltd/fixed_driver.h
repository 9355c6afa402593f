#pragma once

#include "oltd/driver.h"

namespace oltd {

// Answers every operation with one result: an OLT that is not in the
// inventory, or a device that could not be set up.
class FixedDriver final : public Driver {
public:
    FixedDriver(Code code, QString message)
        : m_result{code, std::move(message), {}} {}

    Answer<Capabilities> capabilities(const OnuRef&) override { return {m_result, {}}; }
    Answer<OnuStatus> onuStatus(const OnuRef&) override { return {m_result, {}}; }
    Answer<WanSettings> wanGet(const OnuRef&) override { return {m_result, {}}; }
    Result wanSet(const OnuRef&, const WanSettings&) override { return m_result; }
    Answer<VoipSettings> voipGet(const OnuRef&) override { return {m_result, {}}; }
    Result voipSet(const OnuRef&, const VoipSettings&) override { return m_result; }
    Answer<QList<WifiSettings>> wifiGet(const OnuRef&) override { return {m_result, {}}; }
    Result wifiSet(const OnuRef&, const WifiSettings&) override { return m_result; }
    Result reboot(const OnuRef&) override { return m_result; }
    Result factoryReset(const OnuRef&) override { return m_result; }
    Answer<QList<OnuSummary>> offlineList(const QString&, const QDateTime&) override {
        return {m_result, {}};
    }
    Result onuDelete(const OnuRef&, const QDateTime&) override { return m_result; }
    Answer<TrafficSample> traffic(const OnuRef&) override { return {m_result, {}}; }
    Answer<QList<OnuSummary>> onusByVlan(const QString&, int) override { return {m_result, {}}; }
    Answer<QList<OnuSummary>> findOnu(const QString&, const QString&, int) override {
        return {m_result, {}};
    }

private:
    Result m_result;
};

} // namespace oltd
