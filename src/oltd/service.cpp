#include "oltd/service.h"

#include "oltd/html.h"

#include <QJsonArray>
#include <QUrlQuery>
#include <QUuid>
#include <csignal>

namespace oltd {

namespace {

const QString kPrefix = QStringLiteral("/olt/");
const QString kMasked = QStringLiteral("********");

// Where the browser is sent after a change; read with GET or HEAD as often
// as it likes.
const PageInfo& resultInfo() {
    static const PageInfo info{QStringLiteral("result.php"), {QStringLiteral("id")}, false};
    return info;
}

// Why the request is turned away before its page runs; status 0 when it
// is not. A configuring page takes GET alone: a HEAD is answered without a
// body, so nobody would ever see what it did.
PageAnswer refusal(const httpd::Request& request, const PageInfo* page,
                   const QList<Subnet>& allow) {
    if (!isAllowed(allow, request.client))
        return errorPage(403, QStringLiteral("DENIED"), QStringLiteral("Forbidden"),
                         QStringLiteral("This service does not serve the network of %1.")
                             .arg(httpd::clientText(request.client)));
    if (!page)
        return errorPage(404, QStringLiteral("NO_PAGE"), QStringLiteral("Page not found"),
                         QStringLiteral("There is no page %1 on this service.")
                             .arg(httpd::shortened(request.path)));
    const bool read = request.method == "GET" || (request.method == "HEAD" && !page->configuring);
    if (!read)
        return errorPage(405, QStringLiteral("BAD_METHOD"), QStringLiteral("Method not allowed"),
                         page->configuring
                             ? QStringLiteral("The page %1 changes a device and is asked for "
                                              "with GET only.")
                                   .arg(page->name)
                             : QStringLiteral("The pages of this service are read with GET."));
    // A page of another site making the browser call us must not change a
    // device; the client's own browser says "none", scripts say nothing.
    if (page->configuring &&
        request.header("sec-fetch-site").trimmed().compare("cross-site", Qt::CaseInsensitive) == 0)
        return errorPage(403, QStringLiteral("CROSS_SITE"), QStringLiteral("Forbidden"),
                         QStringLiteral("Nothing was changed: the request came from a page of "
                                        "another site. Use the ONU configuration screen."));
    if (const QString key = missingKey(*page, request.query); !key.isEmpty())
        return errorPage(400, QStringLiteral("MISSING_KEY ") + key, QStringLiteral("Bad request"),
                         QStringLiteral("The page %1 needs the key \"%2\" in its address.")
                             .arg(page->name, key));
    return {0, {}, {}, {}};
}

httpd::Response respond(const PageAnswer& answer,
                        QList<QPair<QByteArray, QByteArray>> headers = {}) {
    headers.append(qMakePair(QByteArray("Content-Type"), QByteArray("text/html; charset=utf-8")));
    headers.append(qMakePair(QByteArray("Cache-Control"), QByteArray("no-store")));
    return {answer.status, answer.html, headers};
}

// The fields every audit line of a request carries; passwords masked.
QJsonObject auditLine(const QString& event, const QString& id, const QDateTime& now,
                      const QString& client, const PageInfo& page, const QUrlQuery& query) {
    QJsonObject values;
    for (const QString& key : page.keys)
        if (key != QLatin1String("ip") && key != QLatin1String("mac") && query.hasQueryItem(key))
            values.insert(key, isSecretKey(key) ? kMasked : queryValue(query, key));
    QJsonObject line{{QStringLiteral("time"), auditTime(now)},
                     {QStringLiteral("event"), event},
                     {QStringLiteral("client"), client},
                     {QStringLiteral("page"), page.name},
                     {QStringLiteral("olt"), queryValue(query, QStringLiteral("ip"))},
                     {QStringLiteral("values"), values}};
    if (query.hasQueryItem(QStringLiteral("mac")))
        line.insert(QStringLiteral("mac"), queryValue(query, QStringLiteral("mac")));
    if (!id.isEmpty())
        line.insert(QStringLiteral("id"), id);
    return line;
}

QJsonArray onuList(const QList<OnuSummary>& onus) {
    QJsonArray list;
    for (const OnuSummary& o : onus)
        list.append(QJsonObject{{QStringLiteral("port"), o.port.section(QLatin1Char(':'), 0, 0)},
                                {QStringLiteral("onu_id"), o.port.section(QLatin1Char(':'), 1)},
                                {QStringLiteral("serial"), o.serial},
                                {QStringLiteral("mac"), o.mac},
                                {QStringLiteral("down_since"),
                                 o.downSince.isValid() ? auditTime(o.downSince) : QString()},
                                {QStringLiteral("down_cause"), o.downCause}});
    return list;
}

// A test of the audit's order stops the program here, as kill -9 would,
// between the synced audit line and the change.
void killedAfterAuditLineInTests() {
    if (qEnvironmentVariableIsSet("ZELCRM_OLTD_KILL_AFTER_AUDIT_LINE"))
        ::raise(SIGKILL);
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
          }) {}

quint16 OltService::start() {
    return m_server.start() ? m_server.port() : 0;
}

bool OltService::audit(const QJsonObject& line) {
    QString why;
    if (m_audit.append(line, &why))
        return true;
    m_log(QStringLiteral("audit log: %1; %2 %3 %4")
              .arg(why, line.value(QStringLiteral("event")).toString(),
                   line.value(QStringLiteral("page")).toString(),
                   line.value(QStringLiteral("id")).toString()));
    return false;
}

httpd::Response OltService::answer(const httpd::Request& request) {
    const QString pageName =
        request.path.startsWith(kPrefix) ? request.path.mid(kPrefix.size()) : QString();
    const PageInfo* page = pageName == resultInfo().name ? &resultInfo() : findPage(pageName);
    const QString client = httpd::clientText(request.client);
    if (const PageAnswer refused = refusal(request, page, m_settings.allow); refused.status != 0) {
        if (page && page->configuring) {
            QJsonObject line = auditLine(QStringLiteral("refused"), {}, m_clock.now(), client,
                                         *page, request.query);
            line.insert(QStringLiteral("outcome"), refused.outcome);
            line.insert(QStringLiteral("status"), refused.status);
            audit(line);
        }
        m_log(QStringLiteral("%1 %2 %3 %4")
                  .arg(client, httpd::shortened(request.path), QString::number(refused.status),
                       refused.outcome));
        if (refused.status != 405)
            return respond(refused);
        return respond(refused, {{"Allow", page->configuring ? "GET" : "GET, HEAD"}});
    }
    if (page == &resultInfo())
        return keptResult(queryValue(request.query, QStringLiteral("id")));
    if (page->configuring)
        return change(*page, request, client);
    // Reads are not logged: desks poll status pages all day.
    PageContext context{m_driver, m_clock.now(), m_settings.offlineMinHours, {}};
    return respond(servePage(*page, request.query, context));
}

httpd::Response OltService::change(const PageInfo& page, const httpd::Request& request,
                                   const QString& client) {
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    bool recorded = false;
    const auto beforeChange = [&](const QList<OnuSummary>& toRemove) {
        QJsonObject line =
            auditLine(QStringLiteral("change"), id, m_clock.now(), client, page, request.query);
        if (page.name == QLatin1String("onu_offline.php"))
            line.insert(QStringLiteral("remove"), onuList(toRemove));
        recorded = audit(line);
        if (recorded)
            killedAfterAuditLineInTests();
        return recorded;
    };
    PageContext context{m_driver, m_clock.now(), m_settings.offlineMinHours, beforeChange};
    const PageAnswer answer = servePage(page, request.query, context);
    // The service log leaves the query out: it carries passwords.
    m_log(QStringLiteral("%1 %2 %3 %4")
              .arg(client, httpd::shortened(request.path), QString::number(answer.status),
                   answer.outcome));
    if (!recorded)
        return respond(answer); // nothing was done, so nothing to keep
    QJsonObject line =
        auditLine(QStringLiteral("outcome"), id, m_clock.now(), client, page, request.query);
    line.insert(QStringLiteral("outcome"), answer.outcome);
    line.insert(QStringLiteral("status"), answer.status);
    if (page.name == QLatin1String("onu_offline.php"))
        line.insert(QStringLiteral("removed"), onuList(answer.removed));
    audit(line);
    const QString location = kPrefix + resultInfo().name + QStringLiteral("?id=") +
                             m_results.keep(answer, m_clock.now());
    HtmlPage moved(QStringLiteral("See the result"));
    moved.paragraph(QStringLiteral("The result is at %1.").arg(location));
    return respond({303, moved.html(), answer.outcome, {}}, {{"Location", location.toUtf8()}});
}

httpd::Response OltService::keptResult(const QString& key) {
    if (const auto kept = m_results.find(key, m_clock.now()))
        return respond(*kept);
    return respond(errorPage(404, QStringLiteral("NO_RESULT"), QStringLiteral("Result not found"),
                             QStringLiteral("There is no result \"%1\": results are kept for a "
                                            "while only. Nothing was run again; check the "
                                            "ONU's status to see where it stands.")
                                 .arg(key)));
}

} // namespace oltd
