#pragma once

#include "core/clock.h"
#include "httpd/message.h"
#include "oltd/driver.h"
#include "oltd/service_config.h"

#include "httpd/server.h"

#include <QFile>
#include <functional>

namespace oltd {

// The OLT management web service: the pages under /olt/ on the services'
// HTTP server, the allowed client networks (others are closed as they
// connect), and the audit trail of every request that changes an ONU.
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
    void audit(const QString& client, const QString& page, const QUrlQuery& query,
               const QString& outcome);

    ServiceSettings m_settings;
    Driver& m_driver;
    const core::Clock& m_clock;
    Log m_log;
    QFile m_audit;
    httpd::Server m_server; // last: stopped before what its pages use goes
};

} // namespace oltd
