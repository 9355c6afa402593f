#include "sandbox/service.h"

#include "sandbox/mail_text.h"
#include "sandbox/pages.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrlQuery>

namespace sandbox {

namespace {

// A form posted by a browser writes blanks as "+"; a literal "+" arrives
// as %2B, so turning the others into %20 first keeps both.
QUrlQuery formFields(const httpd::Request& request) {
    if (request.method != "POST")
        return request.query;
    QByteArray body = request.body;
    body.replace('+', "%20");
    return QUrlQuery(QString::fromLatin1(body));
}

QString field(const QUrlQuery& fields, const QString& name) {
    return fields.queryItemValue(name, QUrl::FullyDecoded);
}

QString queryValue(const httpd::Request& request, const QString& name) {
    return field(request.query, name);
}

Answer page(const QByteArray& html, int status = 200) {
    return {status, html, "text/html; charset=utf-8", {}};
}

Answer json(int status, const QJsonObject& object) {
    return {status,
            QJsonDocument(object).toJson(QJsonDocument::Compact),
            "application/json; charset=utf-8",
            {}};
}

} // namespace

Sandbox::Sandbox(Settings settings, Log log)
    : m_settings(std::move(settings))
    , m_log(std::move(log))
    , m_certificate(m_settings.dataFolder)
    , m_directory(m_settings.clientDb) {}

Sandbox::~Sandbox() = default;

// One page request: the answer, and a log line that carries at most a few
// hundred characters of the path.
httpd::Response Sandbox::served(const httpd::Request& request, bool secure) {
    const Answer answer = secure ? answerHttps(request) : answerHttp(request);
    m_log(QStringLiteral("%1 %2 %3 %4")
              .arg(httpd::clientText(request.client),
                   secure ? QStringLiteral("https") : QStringLiteral("http"),
                   httpd::shortened(request.path), QString::number(answer.status)));
    httpd::Response response{answer.status,
                             answer.body,
                             {{"Content-Type", answer.contentType}, {"Cache-Control", "no-store"}}};
    if (!answer.location.isEmpty())
        response.headers.append({"Location", answer.location});
    return response;
}

Sandbox::Ports Sandbox::start() {
    // The stand-ins answer a desk or two: the server's default limits suit
    // them (a 10 MB query is refused without the sandbox holding it).
    httpd::Settings http;
    http.address = m_settings.listenAddress;
    http.port = m_settings.httpPort;
    httpd::Settings https = http;
    https.port = m_settings.httpsPort;
    https.tlsCertificate = m_certificate.certificate().toPem();
    https.tlsKey = m_certificate.key().toPem();
    m_http = std::make_unique<httpd::Server>(
        http, [this](const httpd::Request& r) { return served(r, false); });
    m_https = std::make_unique<httpd::Server>(
        https, [this](const httpd::Request& r) { return served(r, true); });
    m_smtp =
        std::make_unique<SmtpServer>(m_certificate.serverConfiguration(),
                                     m_settings.accounts.smtpUser, m_settings.accounts.smtpPassword,
                                     [this](const SmtpServer::Envelope& m) { deliverMail(m); });
    const QHostAddress& at = m_settings.listenAddress;
    Ports p;
    p.http = m_http->start() ? m_http->port() : 0;
    p.https = m_https->start() ? m_https->port() : 0;
    if (m_smtp->listen(at, m_settings.smtpPort))
        p.smtp = m_smtp->serverPort();
    m_gateway = std::make_unique<OltGateway>(p.https);
    if (p.https && m_gateway->listen(at, m_settings.proxyPort))
        p.proxy = m_gateway->serverPort();
    if (!p.http || !p.https || !p.smtp || !p.proxy)
        p = {};
    m_ports = p;
    return p;
}

QStringList Sandbox::services() const {
    QStringList list = servedPages();
    if (!m_settings.oltService.isEmpty())
        list << QStringLiteral("OLT management web service: http://%1:%2/olt/ (sent on to %3)")
                    .arg(m_settings.listenAddress.toString())
                    .arg(m_ports.http)
                    .arg(m_settings.oltService);
    return list;
}

QStringList Sandbox::servedPages() const {
    const QString http =
        QStringLiteral("http://%1:%2").arg(m_settings.listenAddress.toString()).arg(m_ports.http);
    const QString https =
        QStringLiteral("https://%1:%2").arg(m_settings.listenAddress.toString()).arg(m_ports.https);
    return {QStringLiteral("SMS gateway: ") + http + QStringLiteral("/api/swsendSingle.asp"),
            QStringLiteral("LDAP lookup: ") + http + QStringLiteral("/easyldapbeta"),
            QStringLiteral("MTNL lookup: ") + http + QStringLiteral("/elite/"),
            QStringLiteral("Policy and AP pages: ") + http + QStringLiteral("/policy.php, /ap.php"),
            QStringLiteral("Complaint-closed notice: ") + http +
                QStringLiteral("/waba_complaint_closed.php"),
            QStringLiteral("Click-to-call: ") + http + QStringLiteral("/webphone/click2call.html"),
            QStringLiteral("WhatsApp message API: ") + https +
                QStringLiteral("/instance«id»/sendMessage"),
            QStringLiteral("OLT login page: ") + https +
                QStringLiteral("/, and at any OLT address through the web proxy 127.0.0.1:%1")
                    .arg(m_ports.proxy),
            QStringLiteral("Mail server (STARTTLS, AUTH): smtp://%1:%2")
                .arg(m_settings.listenAddress.toString())
                .arg(m_ports.smtp)};
}

void Sandbox::record(Received::Kind kind, QList<QPair<QString, QString>> fields, QString html) {
    QStringList summary;
    for (const auto& [label, value] : fields)
        summary << label + QLatin1Char('=') + value.left(80);
    m_log(kindName(kind) + QLatin1Char(' ') + summary.join(QLatin1Char(' ')));
    m_inbox.add({kind, QDateTime::currentDateTime(), std::move(fields), std::move(html)});
}

std::optional<Subscriber> Sandbox::lookup(const std::function<std::optional<Subscriber>()>& find) {
    try {
        return find();
    } catch (const DirectoryError& e) {
        m_log(QStringLiteral("lookup failed: ") + QString::fromStdString(e.what()));
        return std::nullopt;
    }
}

Answer Sandbox::answerHttp(const httpd::Request& request) {
    const QString& path = request.path;
    if (path == QLatin1String("/"))
        return page(inboxPage(m_inbox, services()));
    if (path == QLatin1String("/api/swsendSingle.asp"))
        return smsGateway(request);
    if (path == QLatin1String("/easyldapbeta"))
        return ldap(request);
    if (path == QLatin1String("/elite/"))
        return mtnl(request);
    if (path == QLatin1String("/policy.php"))
        return policyServer(request, false);
    if (path == QLatin1String("/ap.php"))
        return policyServer(request, true);
    if (path == QLatin1String("/waba_complaint_closed.php"))
        return closingNotice(request);
    if (path == QLatin1String("/webphone/click2call.html"))
        return clickToCall(request);
    if (path.startsWith(QLatin1String("/olt/")) && !m_settings.oltService.isEmpty())
        return oltService(request);
    return page(pages::notFoundPage(httpd::shortened(path)), 404);
}

Answer Sandbox::answerHttps(const httpd::Request& request) {
    const QString& path = request.path;
    if (path == QLatin1String("/"))
        return oltLogin(request);
    if (path.startsWith(QLatin1String("/instance")) && path.endsWith(QLatin1String("/sendMessage")))
        return messageApi(request);
    return page(pages::notFoundPage(httpd::shortened(path)), 404);
}

Answer Sandbox::smsGateway(const httpd::Request& request) {
    const Accounts& a = m_settings.accounts;
    if (queryValue(request, QStringLiteral("username")) != a.smsUser ||
        queryValue(request, QStringLiteral("password")) != a.smsPassword)
        return {401, "ERROR: invalid user name or password\n", "text/plain; charset=utf-8", {}};
    const QString to = queryValue(request, QStringLiteral("sendto"));
    record(Received::Kind::Sms,
           {{QStringLiteral("To"), to},
            {QStringLiteral("Sender"), queryValue(request, QStringLiteral("sender"))},
            {QStringLiteral("Text"), queryValue(request, QStringLiteral("message"))}});
    return {200, "OK: message queued for " + to.toUtf8() + "\n", "text/plain; charset=utf-8", {}};
}

Answer Sandbox::ldap(const httpd::Request& request) {
    const QUrlQuery fields = formFields(request);
    if (!fields.hasQueryItem(QStringLiteral("UserName")))
        return page(pages::ldapSearchPage());
    const QString asked = field(fields, QStringLiteral("UserName"));
    const auto found = lookup([&] { return m_directory.byUserName(asked); });
    record(Received::Kind::Lookup,
           {{QStringLiteral("Page"), QStringLiteral("LDAP /easyldapbeta")},
            {QStringLiteral("User name"), asked},
            {QStringLiteral("Answer"), found ? found->id : QStringLiteral("USER NOT FOUND")}});
    return page(pages::ldapAnswerPage(asked, found));
}

Answer Sandbox::mtnl(const httpd::Request& request) {
    const QUrlQuery fields = formFields(request);
    if (!fields.hasQueryItem(QStringLiteral("telno")))
        return page(pages::mtnlSearchPage());
    const QString telno = field(fields, QStringLiteral("telno"));
    const auto found = lookup([&] { return m_directory.byTelephone(telno); });
    record(Received::Kind::Lookup,
           {{QStringLiteral("Page"), QStringLiteral("MTNL /elite/")},
            {QStringLiteral("Telephone"), telno},
            {QStringLiteral("Answer"), found ? found->id : QStringLiteral("no record")}});
    return page(pages::mtnlAnswerPage(telno, found));
}

Answer Sandbox::policyServer(const httpd::Request& request, bool apPage) {
    const QString id = queryValue(request, QStringLiteral("bb"));
    const QString ip = queryValue(request, QStringLiteral("ip"));
    const auto found = lookup([&] { return m_directory.byUserName(id); });
    const QString ap = pages::apName(found);
    record(Received::Kind::Lookup,
           {{QStringLiteral("Page"),
             apPage ? QStringLiteral("/ap.php") : QStringLiteral("/policy.php")},
            {QStringLiteral("Subscriber"), id},
            {QStringLiteral("NAS IP"), ip},
            {QStringLiteral("Answer"),
             apPage ? (ap.isEmpty() ? QStringLiteral("offline") : ap)
                    : (found ? found->policy : QStringLiteral("no subscriber"))}});
    return page(apPage ? pages::apPage(found) : pages::policyPage(id, ip, found));
}

Answer Sandbox::closingNotice(const httpd::Request& request) {
    const QString mobile = queryValue(request, QStringLiteral("mobile"));
    const QString complaint = queryValue(request, QStringLiteral("cn"));
    record(Received::Kind::Notice, {{QStringLiteral("Notice"), QStringLiteral("complaint closed")},
                                    {QStringLiteral("Mobile"), mobile},
                                    {QStringLiteral("Complaint"), complaint}});
    return page(pages::noticePage(mobile, complaint));
}

// The account's password is in the address; it is neither shown nor logged.
Answer Sandbox::clickToCall(const httpd::Request& request) {
    const QString callTo = queryValue(request, QStringLiteral("wp_callto"));
    const QString account = queryValue(request, QStringLiteral("wp_username"));
    record(Received::Kind::Lookup, {{QStringLiteral("Page"), QStringLiteral("click-to-call")},
                                    {QStringLiteral("Call to"), callTo},
                                    {QStringLiteral("Account"), account},
                                    {QStringLiteral("SIP server"),
                                     queryValue(request, QStringLiteral("wp_serveraddress"))}});
    return page(pages::clickToCallPage(callTo, account));
}

// The client finds the click-to-call page on the OLT management web server,
// so the sandbox's address stands for that server: its /olt/ pages are sent
// on to zelcrm-oltd unchanged, and the trainer sees which ONU was acted on.
Answer Sandbox::oltService(const httpd::Request& request) {
    QUrl url;
    url.setPath(request.path);
    if (!request.query.isEmpty())
        url.setQuery(request.query);
    record(Received::Kind::Lookup,
           {{QStringLiteral("Page"), QStringLiteral("OLT service ") + request.path.mid(5)},
            {QStringLiteral("OLT"), queryValue(request, QStringLiteral("ip"))},
            {QStringLiteral("MAC"), queryValue(request, QStringLiteral("mac"))}});
    QByteArray target =
        "http://" + m_settings.oltService.toUtf8() + url.path(QUrl::FullyEncoded).toUtf8();
    if (url.hasQuery())
        target += '?' + url.query(QUrl::FullyEncoded).toUtf8();
    return {
        307,
        pages::document(
            QStringLiteral("Moved"),
            QStringLiteral("<a href=\"%1\">%1</a>").arg(QString::fromUtf8(target).toHtmlEscaped())),
        "text/html; charset=utf-8", target};
}

Answer Sandbox::messageApi(const httpd::Request& request) {
    const Accounts& a = m_settings.accounts;
    const QString instance = request.path.mid(9).chopped(12); // "/instance", "/sendMessage"
    if (request.method != "POST")
        return json(405, {{QStringLiteral("error"), QStringLiteral("POST only")}});
    if (instance != a.messageInstance ||
        QString::fromUtf8(request.header("x-wm-client-id")) != a.messageInstance ||
        queryValue(request, QStringLiteral("token")) != a.messageToken)
        return json(401, {{QStringLiteral("error"), QStringLiteral("unknown instance or token")}});
    const QJsonObject body = QJsonDocument::fromJson(request.body).object();
    const QString phone = body.value(QStringLiteral("phone")).toString();
    const QString message = body.value(QStringLiteral("body")).toString();
    if (phone.isEmpty())
        return json(400, {{QStringLiteral("error"), QStringLiteral("no phone in the body")}});
    record(Received::Kind::WhatsApp,
           {{QStringLiteral("Number"), phone}, {QStringLiteral("Message"), message}});
    return json(200, {{QStringLiteral("sent"), true},
                      {QStringLiteral("message"), QStringLiteral("queued")}});
}

Answer Sandbox::oltLogin(const httpd::Request& request) {
    const QString host = QString::fromUtf8(request.header("host"));
    if (request.method != "POST")
        return page(pages::oltLoginPage(host, false));
    const QUrlQuery fields = formFields(request);
    const QString user = field(fields, QStringLiteral("User"));
    const bool accepted =
        user == m_settings.accounts.oltWebUser &&
        field(fields, QStringLiteral("pass")) == m_settings.accounts.oltWebPassword;
    record(Received::Kind::Lookup,
           {{QStringLiteral("Page"), QStringLiteral("OLT login")},
            {QStringLiteral("User"), user},
            {QStringLiteral("Answer"),
             accepted ? QStringLiteral("logged in") : QStringLiteral("refused")}});
    return accepted ? page(pages::oltHomePage(host, user))
                    : page(pages::oltLoginPage(host, true), 401);
}

void Sandbox::deliverMail(const SmtpServer::Envelope& mail) {
    const MailText text = readMail(mail.data);
    record(Received::Kind::Mail,
           {{QStringLiteral("From"), mail.from},
            {QStringLiteral("To"), text.to},
            {QStringLiteral("Cc"), text.cc},
            {QStringLiteral("Subject"), text.subject}},
           text.body);
}

} // namespace sandbox
