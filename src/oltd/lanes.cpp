#include "oltd/lanes.h"

#include "oltd/fixed_driver.h"

namespace oltd {

Lane::Lane(QString name, int threads, int queueDepth, DeviceFactory factory,
           std::chrono::steady_clock::duration idleLimit)
    : m_name(std::move(name))
    , m_queueDepth(queueDepth)
    , m_factory(std::move(factory))
    , m_idleLimit(idleLimit) {
    for (int i = 0; i < std::max(1, threads); ++i)
        m_threads.emplace_back([this] { work(); });
}

Lane::~Lane() {
    stop();
}

bool Lane::submit(Job job) {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping || int(m_jobs.size()) >= m_queueDepth)
            return false;
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
    return true;
}

int Lane::waiting() const {
    std::lock_guard lock(m_mutex);
    return int(m_jobs.size());
}

void Lane::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_jobs.clear();
    }
    m_wake.notify_all();
    for (std::thread& t : m_threads)
        if (t.joinable())
            t.join();
}

namespace {

struct BrokenDevice final : Device {
    explicit BrokenDevice(const QString& why)
        : fixed(Code::DeviceError, why) {}
    Driver& driver() override { return fixed; }
    FixedDriver fixed;
};

} // namespace

std::unique_ptr<Device> Lane::make() const {
    try {
        return m_factory();
    } catch (const std::exception& e) {
        return std::make_unique<BrokenDevice>(QStringLiteral("The service cannot reach %1: %2")
                                                  .arg(m_name, QString::fromUtf8(e.what())));
    }
}

void Lane::work() {
    std::unique_ptr<Device> device;
    // A sleeping worker wakes this often to close an idle command line.
    const auto tick = std::max<std::chrono::steady_clock::duration>(
        std::chrono::milliseconds(200),
        std::min<std::chrono::steady_clock::duration>(m_idleLimit / 4, std::chrono::seconds(5)));
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            while (!m_stopping && m_jobs.empty()) {
                if (m_wake.wait_for(lock, tick) == std::cv_status::timeout && device) {
                    lock.unlock();
                    device->idle(m_idleLimit);
                    lock.lock();
                }
            }
            if (m_stopping)
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        if (!device)
            device = make();
        job(device->driver());
    }
}

Lanes::Lanes(int queueDepth, std::chrono::steady_clock::duration idleLimit, SpecOf specOf)
    : m_queueDepth(queueDepth)
    , m_idleLimit(idleLimit)
    , m_specOf(std::move(specOf)) {}

Lanes::~Lanes() {
    stop();
}

bool Lanes::submit(const QString& key, Job job) {
    Lane* lane = nullptr;
    {
        std::lock_guard lock(m_mutex);
        if (m_stopped)
            return false;
        auto& slot = m_lanes[key];
        if (!slot) {
            Spec spec = m_specOf(key);
            slot = std::make_unique<Lane>(key, spec.threads, m_queueDepth, std::move(spec.factory),
                                          m_idleLimit);
        }
        lane = slot.get();
    }
    return lane->submit(std::move(job));
}

void Lanes::stop() {
    std::map<QString, std::unique_ptr<Lane>> lanes;
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        lanes.swap(m_lanes);
    }
    for (auto& [key, lane] : lanes)
        lane->stop();
}

} // namespace oltd
