#pragma once

#include "sandbox/certificate.h"
#include "sandbox/directory.h"
#include "sandbox/inbox.h"
#include "sandbox/olt_gateway.h"
#include "sandbox/settings.h"
#include "sandbox/smtp_server.h"

#include <QAbstractHttpServer>
#include <QByteArray>
#include <functional>
#include <memory>

class QHttpServerRequest;

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

    Answer answerHttp(const QHttpServerRequest& request);
    Answer answerHttps(const QHttpServerRequest& request);

private:
    Answer smsGateway(const QHttpServerRequest& request);
    Answer ldap(const QHttpServerRequest& request);
    Answer mtnl(const QHttpServerRequest& request);
    Answer policyServer(const QHttpServerRequest& request, bool apPage);
    Answer closingNotice(const QHttpServerRequest& request);
    Answer clickToCall(const QHttpServerRequest& request);
    Answer oltService(const QHttpServerRequest& request);
    Answer messageApi(const QHttpServerRequest& request);
    Answer oltLogin(const QHttpServerRequest& request);
    void deliverMail(const SmtpServer::Envelope& mail);
    void record(Received::Kind kind, QList<QPair<QString, QString>> fields, QString html = {});
    std::optional<Subscriber> lookup(const std::function<std::optional<Subscriber>()>& find);
    QStringList services() const;
    QStringList servedPages() const;

    class HttpServer;
    Settings m_settings;
    Log m_log;
    Certificate m_certificate;
    Directory m_directory;
    Inbox m_inbox;
    std::unique_ptr<HttpServer> m_http, m_https;
    std::unique_ptr<SmtpServer> m_smtp;
    std::unique_ptr<OltGateway> m_gateway;
    Ports m_ports;
};

} // namespace sandbox
