#pragma once

#include "httpd/server.h"
#include "sandbox/certificate.h"
#include "sandbox/directory.h"
#include "sandbox/inbox.h"
#include "sandbox/olt_gateway.h"
#include "sandbox/settings.h"
#include "sandbox/smtp_server.h"

#include <QByteArray>
#include <functional>
#include <memory>

namespace sandbox {

// What one page request is answered with.
struct Answer {
    int status = 200;
    QByteArray body;
    QByteArray contentType = "text/html; charset=utf-8";
    QByteArray location; // where a redirect points
};

// Every outside service of the demo in one process: the plain HTTP pages
// (SMS gateway, lookups, notices and the sandbox's own page), the HTTPS
// message API and OLT login page, and the mail server. It records what it
// receives in its inbox.
class Sandbox {
public:
    using Log = std::function<void(const QString&)>;
    struct Ports {
        quint16 http = 0, https = 0, smtp = 0, proxy = 0;
    };

    // Makes the certificate when the data folder has none (CertificateError).
    Sandbox(Settings settings, Log log);
    ~Sandbox();

    // Listens where the settings say; every port 0 on failure.
    Ports start();
    Ports ports() const { return m_ports; }
    QString certificatePath() const { return m_certificate.certificatePath(); }
    const Inbox& inbox() const { return m_inbox; }

    Answer answerHttp(const httpd::Request& request);
    Answer answerHttps(const httpd::Request& request);

private:
    Answer smsGateway(const httpd::Request& request);
    Answer ldap(const httpd::Request& request);
    Answer mtnl(const httpd::Request& request);
    Answer policyServer(const httpd::Request& request, bool apPage);
    Answer closingNotice(const httpd::Request& request);
    Answer clickToCall(const httpd::Request& request);
    Answer oltService(const httpd::Request& request);
    Answer messageApi(const httpd::Request& request);
    Answer oltLogin(const httpd::Request& request);
    httpd::Response served(const httpd::Request& request, bool secure);
    void deliverMail(const SmtpServer::Envelope& mail);
    void record(Received::Kind kind, QList<QPair<QString, QString>> fields, QString html = {});
    std::optional<Subscriber> lookup(const std::function<std::optional<Subscriber>()>& find);
    QStringList services() const;
    QStringList servedPages() const;

    Settings m_settings;
    Log m_log;
    Certificate m_certificate;
    Directory m_directory;
    Inbox m_inbox;
    std::unique_ptr<httpd::Server> m_http, m_https;
    std::unique_ptr<SmtpServer> m_smtp;
    std::unique_ptr<OltGateway> m_gateway;
    Ports m_ports;
};

} // namespace sandbox
