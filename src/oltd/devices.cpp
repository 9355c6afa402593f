#include "oltd/devices.h"

#include "oltd/drivers/huawei/huawei_driver.h"
#include "oltd/drivers/zte/zte_driver.h"
#include "oltd/onu_index.h"
#include "oltd/session/cli_session.h"
#include "oltd/simulated_driver.h"

#include <QDir>
#include <QMutex>
#include <map>

namespace oltd {

namespace {

struct SimulatedDevice final : Device {
    SimulatedDevice(const QString& file, const core::Clock& clock, int rebootSeconds)
        : simulated(file, clock, rebootSeconds) {}
    Driver& driver() override { return simulated; }
    SimulatedDriver simulated;
};

// A vendor's driver on one command line of its OLT.
template <class VendorDriver> struct CommandLineDevice final : Device {
    CommandLineDevice(const Dialect& dialect, const OltEntry& entry,
                      std::shared_ptr<OnuIndex> onuIndex)
        : session(dialect, entry.target)
        , index(std::move(onuIndex))
        , vendor(session, *index, DeviceOptions{entry.timeZone}) {}
    Driver& driver() override { return vendor; }
    void idle(std::chrono::steady_clock::duration limit) override {
        if (session.isOpen() && std::chrono::steady_clock::now() - session.lastUsed() >= limit)
            session.close();
    }

    CliSession session;
    std::shared_ptr<OnuIndex> index;
    VendorDriver vendor;
};

// The ONU index of each OLT, made at its first use and shared by its lines.
class Indexes {
public:
    explicit Indexes(QString dir)
        : m_dir(std::move(dir)) {}
    std::shared_ptr<OnuIndex> of(const QString& ip) {
        QMutexLocker lock(&m_mutex);
        auto& slot = m_indexes[ip];
        if (!slot)
            slot = std::make_shared<OnuIndex>(
                m_dir.isEmpty()
                    ? QString()
                    : QDir(m_dir).filePath(QStringLiteral("onu-index-%1.json").arg(ip)));
        return slot;
    }

private:
    QString m_dir;
    QMutex m_mutex;
    std::map<QString, std::shared_ptr<OnuIndex>> m_indexes;
};

} // namespace

OltService::DeviceMaker deviceMaker(const ServiceSettings& settings, const core::Clock& clock) {
    auto indexes = std::make_shared<Indexes>(settings.stateDir);
    return [file = settings.simulatedFile, rebootSeconds = settings.rebootSeconds, &clock,
            indexes](const OltEntry* entry) -> std::unique_ptr<Device> {
        if (!entry || entry->driver == QLatin1String("simulated"))
            return std::make_unique<SimulatedDevice>(file, clock, rebootSeconds);
        if (entry->driver == QLatin1String("zte"))
            return std::make_unique<CommandLineDevice<ZteDriver>>(zteDialect(), *entry,
                                                                  indexes->of(entry->ip));
        if (entry->driver == QLatin1String("huawei"))
            return std::make_unique<CommandLineDevice<HuaweiDriver>>(huaweiDialect(), *entry,
                                                                     indexes->of(entry->ip));
        throw std::runtime_error("no driver \"" + entry->driver.toStdString() + "\"");
    };
}

} // namespace oltd
