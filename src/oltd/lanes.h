#pragma once

#include "oltd/driver.h"

#include <QString>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace oltd {

// What a worker thread holds of one OLT: its driver and whatever the driver
// talks through (a command line, a network file).
class Device {
public:
    virtual ~Device() = default;
    virtual Driver& driver() = 0;
    // The worker has had nothing to do for a while: a command line unused
    // for `idleLimit` is closed, so the OLT's few terminal slots are not
    // held for nothing.
    virtual void idle(std::chrono::steady_clock::duration idleLimit) { (void)idleLimit; }
};

// Made on the worker thread that will use it, at its first request.
using DeviceFactory = std::function<std::unique_ptr<Device>()>;
using Job = std::function<void(Driver&)>;

// One OLT's queue of requests and the threads that work it, one command
// line each. Requests for one OLT never wait on another's device.
class Lane {
public:
    Lane(QString name, int threads, int queueDepth, DeviceFactory factory,
         std::chrono::steady_clock::duration idleLimit);
    ~Lane();
    Lane(const Lane&) = delete;
    Lane& operator=(const Lane&) = delete;

    // Queues the job; false (and nothing queued) when queueDepth requests
    // already wait.
    bool submit(Job job);
    // Requests waiting, not counting those being worked on.
    int waiting() const;
    // Lets the jobs being worked on finish, drops those still waiting and
    // joins the threads.
    void stop();

private:
    void work();
    // The device, or one that answers every request with why it could not
    // be made.
    std::unique_ptr<Device> make() const;

    QString m_name;
    int m_queueDepth;
    DeviceFactory m_factory;
    std::chrono::steady_clock::duration m_idleLimit;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

// The lanes of the service, made as their OLTs are first asked for.
class Lanes {
public:
    struct Spec {
        int threads = 1;
        DeviceFactory factory;
    };
    using SpecOf = std::function<Spec(const QString& key)>;

    Lanes(int queueDepth, std::chrono::steady_clock::duration idleLimit, SpecOf specOf);
    ~Lanes();

    bool submit(const QString& key, Job job);
    void stop();

private:
    int m_queueDepth;
    std::chrono::steady_clock::duration m_idleLimit;
    SpecOf m_specOf;
    std::mutex m_mutex;
    bool m_stopped = false;
    std::map<QString, std::unique_ptr<Lane>> m_lanes;
};

} // namespace oltd
