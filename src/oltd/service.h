#pragma once

#include "core/clock.h"
#include "httpd/message.h"
#include "httpd/server.h"
#include "oltd/audit_log.h"
#include "oltd/driver.h"
#include "oltd/pages.h"
#include "oltd/result_store.h"
#include "oltd/service_config.h"

#include <functional>

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

    // Opens the audit log (appending); throws core::ConfigError when it
    // cannot be written.
    OltService(const ServiceSettings& settings, Driver& driver, const core::Clock& clock, Log log);

    // Listens where the settings say; returns the port, 0 on failure.
    quint16 start();
    // Closes every connection; the destructor does it too.
    void stop() { m_server.stop(); }

    // The service's answer to one request, whatever server carried it.
    httpd::Response answer(const httpd::Request& request);

private:
    // Writes the line to the audit log; false (and the service log says
    // why) when it is not safely on disk.
    bool audit(const QJsonObject& line);
    // Runs a configuring page: its audit line first, then the change, then
    // its outcome; answers with a redirect to the kept result.
    httpd::Response change(const PageInfo& page, const httpd::Request& request,
                           const QString& client);
    httpd::Response keptResult(const QString& key);

    ServiceSettings m_settings;
    Driver& m_driver;
    const core::Clock& m_clock;
    Log m_log;
    AuditLog m_audit;
    ResultStore m_results;
    httpd::Server m_server; // last: stopped before what its pages use goes
};

} // namespace oltd
