#include "oltd/service.h"

#include "oltd/pages.h"

#include <QUrlQuery>

namespace oltd {

namespace {

const QString kPrefix = QStringLiteral("/olt/");

QString clientText(const QHostAddress& address) {
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : address.toString();
}

// Tabs and line breaks in a value would break the one-line-per-request log.
QString oneLine(QString text) {
    for (QChar& c : text)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    return text;
}

} // namespace

OltService::OltService(const ServiceSettings& settings, Driver& driver, const core::Clock& clock,
                       Log log)
    : m_settings(settings)
    , m_driver(driver)
    , m_clock(clock)
    , m_log(std::move(log))
    , m_audit(settings.auditLog)
    , m_server(
          settings.server(), [this](const httpd::Request& r) { return answer(r); },
          [allow = settings.allow](const QHostAddress& client) {
              return isAllowed(allow, client);
          }) {
    if (!m_audit.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        throw core::ConfigError(QStringLiteral("The audit log %1 cannot be written: %2")
                                    .arg(settings.auditLog, m_audit.errorString()));
}

quint16 OltService::start() {
    return m_server.start() ? m_server.port() : 0;
}

void OltService::audit(const QString& client, const QString& page, const QUrlQuery& query,
                       const QString& outcome) {
    QStringList keys;
    if (const PageInfo* info = findPage(page))
        for (const QString& key : info->keys)
            if (key != QLatin1String("ip") && key != QLatin1String("mac") &&
                query.hasQueryItem(key))
                keys << key + QLatin1Char('=') +
                            (isSecretKey(key) ? QStringLiteral("********")
                                              : queryValue(query, key));
    const QStringList fields{m_clock.now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
                             client,
                             page,
                             QStringLiteral("olt=") + queryValue(query, QStringLiteral("ip")),
                             QStringLiteral("mac=") + queryValue(query, QStringLiteral("mac")),
                             QStringLiteral("outcome=") + outcome,
                             keys.join(QLatin1Char(' '))};
    QStringList clean;
    for (const QString& f : fields)
        clean << oneLine(f);
    m_audit.write((clean.join(QLatin1Char('\t')) + QLatin1Char('\n')).toUtf8());
    m_audit.flush();
}

httpd::Response OltService::answer(const httpd::Request& request) {
    const QString& path = request.path;
    const QUrlQuery& query = request.query;
    const QString pageName = path.startsWith(kPrefix) ? path.mid(kPrefix.size()) : QString();
    const PageInfo* page = findPage(pageName);

    PageAnswer answer;
    if (!isAllowed(m_settings.allow, request.client)) {
        answer = errorPage(403, QStringLiteral("DENIED"), QStringLiteral("Forbidden"),
                           QStringLiteral("This service does not serve the network of %1.")
                               .arg(clientText(request.client)));
    } else if (!page) {
        answer = errorPage(
            404, QStringLiteral("NO_PAGE"), QStringLiteral("Page not found"),
            QStringLiteral("There is no page %1 on this service.").arg(httpd::shortened(path)));
    } else if (request.method != "GET" && request.method != "HEAD") {
        answer = errorPage(405, QStringLiteral("BAD_METHOD"), QStringLiteral("Method not allowed"),
                           QStringLiteral("The pages of this service are read with GET."));
    } else if (const QString key = missingKey(*page, query); !key.isEmpty()) {
        answer = errorPage(400, QStringLiteral("MISSING_KEY ") + key, QStringLiteral("Bad request"),
                           QStringLiteral("The page %1 needs the key \"%2\" in its address.")
                               .arg(page->name, key));
    } else {
        answer = servePage(*page, query, m_driver);
    }
    // Reads are not logged: desks poll status pages all day. Changes are in
    // the audit log too; the query is left out here, as it carries passwords.
    const bool refused =
        !page || answer.status == 400 || answer.status == 403 || answer.status == 405;
    if ((page && page->configuring) || refused) {
        const QString client = clientText(request.client);
        if (page && page->configuring)
            audit(client, page->name, query, answer.outcome);
        m_log(QStringLiteral("%1 %2 %3 %4")
                  .arg(client, httpd::shortened(path), QString::number(answer.status),
                       answer.outcome));
    }
    return {answer.status,
            answer.html,
            {{"Content-Type", "text/html; charset=utf-8"}, {"Cache-Control", "no-store"}}};
}

} // namespace oltd
