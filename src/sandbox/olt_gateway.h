#pragma once

#include <QTcpServer>

namespace sandbox {

// The web proxy the demo's embedded browser is given, so that "https://«OLT
// address»" reaches the sandbox's OLT login page whatever address the demo
// database holds: every HTTPS tunnel (CONNECT) is joined to the sandbox's
// HTTPS port; anything else is refused with 502. The browser reaches
// loopback addresses without it.
class OltGateway : public QTcpServer {
public:
    explicit OltGateway(quint16 httpsPort)
        : m_httpsPort(httpsPort) {}

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    quint16 m_httpsPort;
};

} // namespace sandbox
