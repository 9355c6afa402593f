#pragma once

#include "core/clock.h"
#include "httpd/message.h"
#include "httpd/server.h"
#include "oltd/audit_log.h"
#include "oltd/driver.h"
#include "oltd/inventory.h"
#include "oltd/lanes.h"
#include "oltd/pages.h"
#include "oltd/result_store.h"
#include "oltd/service_config.h"

#include <QObject>
#include <functional>
#include <memory>

namespace oltd {

// The OLT management web service: the pages under /olt/ on the services'
// HTTP server, the allowed client networks (others are closed as they
// connect), and the audit trail of every request that changes an ONU. A
// change is made only once its audit line is on disk, only for a GET that no
// other site's page made the browser send, and is answered with a redirect
// to its result, so that Back or Reload never repeats it.
class OltService {
public:
    using Log = std::function<void(const QString&)>;
    // The device behind an inventory entry; nullptr: the default driver's.
    using DeviceMaker = std::function<std::unique_ptr<Device>(const OltEntry* entry)>;

    // One driver for every OLT (the simulated network), worked on one
    // thread of its own. Opens the audit log (appending); throws
    // core::ConfigError when it cannot be written.
    OltService(const ServiceSettings& settings, Driver& driver, const core::Clock& clock, Log log);
    // The inventory's OLTs, each worked on threads of its own (one per
    // command line it may hold); an address not in it goes to the default
    // driver, or is answered NOT_FOUND.
    OltService(const ServiceSettings& settings, Inventory inventory, DeviceMaker makeDevice,
               const core::Clock& clock, Log log);
    ~OltService();

    // Listens where the settings say; returns the port, 0 on failure.
    quint16 start();
    // Closes every connection and lets the devices finish the commands
    // they are running; the destructor does it too.
    void stop();

    // The service's answer to one request, whatever server carried it:
    // handed to `reply` on this thread once the OLT's worker has run it.
    void answer(const httpd::Request& request, const httpd::Reply& reply);

private:
    struct Run;
    // Writes the line to the audit log; false, with the reason in *why,
    // when it is not safely on disk. Safe from any thread.
    bool audit(const QJsonObject& line, QString* why = nullptr);
    void auditOrLog(const QJsonObject& line);
    // The lane that works the OLT's requests; empty: none serves it.
    QString laneOf(const QString& ip) const;
    Lanes::Spec laneSpec(const QString& lane) const;
    // Runs the page on its OLT's lane and replies from this thread.
    void dispatch(const std::shared_ptr<Run>& run, const httpd::Reply& reply);
    // Runs the page on the driver (on the lane's thread).
    void work(Run& run, Driver& driver);
    // Back on this thread: the log, the outcome's audit line, the answer.
    httpd::Response finish(Run& run);
    // A page answered at once with a fixed result (BUSY, an OLT not in the
    // inventory); a change it names is refused, not made.
    httpd::Response answerWithout(Run& run, Code code, const QString& message);
    httpd::Response keptResult(const QString& key);

    ServiceSettings m_settings;
    Inventory m_inventory;
    DeviceMaker m_makeDevice;
    const core::Clock& m_clock;
    Log m_log;
    AuditLog m_audit;
    ResultStore m_results;
    std::unique_ptr<QObject> m_owner; // where the workers' answers come back to
    Lanes m_lanes;
    httpd::Server m_server; // last: stopped before what its pages use goes
};

} // namespace oltd
