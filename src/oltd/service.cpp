#include "oltd/service.h"

#include "oltd/fixed_driver.h"
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

namespace {

// A driver the service was given, shared by every OLT.
struct SharedDevice final : Device {
    explicit SharedDevice(Driver& d)
        : shared(d) {}
    Driver& driver() override { return shared; }
    Driver& shared;
};

const QString kSharedLane = QStringLiteral("simulated");
const int kRetryAfterSeconds = 5;

} // namespace

// One request on its way through an OLT's lane.
struct OltService::Run {
    const PageInfo* page = nullptr;
    httpd::Request request;
    QString client;
    QDateTime now;
    QString id;            // a change's, in its audit lines
    bool recorded = false; // the change's audit line is on disk
    QString auditFailure;  // why it is not, for the service log
    PageAnswer answer;
};

OltService::OltService(const ServiceSettings& settings, Driver& driver, const core::Clock& clock,
                       Log log)
    : OltService(
          settings, Inventory{{}, kSharedLane},
          [&driver](const OltEntry*) { return std::make_unique<SharedDevice>(driver); }, clock,
          std::move(log)) {}

OltService::OltService(const ServiceSettings& settings, Inventory inventory, DeviceMaker makeDevice,
                       const core::Clock& clock, Log log)
    : m_settings(settings)
    , m_inventory(std::move(inventory))
    , m_makeDevice(std::move(makeDevice))
    , m_clock(clock)
    , m_log(std::move(log))
    , m_audit(settings.auditLog)
    , m_owner(std::make_unique<QObject>())
    , m_lanes(settings.queueDepth, std::chrono::seconds(settings.sessionIdleSeconds),
              [this](const QString& lane) { return laneSpec(lane); })
    , m_server(settings.server(),
               httpd::DeferredHandler(
                   [this](const httpd::Request& r, httpd::Reply reply) { answer(r, reply); }),
               [allow = settings.allow](const QHostAddress& client) {
                   return isAllowed(allow, client);
               }) {}

OltService::~OltService() {
    stop();
}

quint16 OltService::start() {
    return m_server.start() ? m_server.port() : 0;
}

void OltService::stop() {
    m_server.stop();
    m_lanes.stop();
}

bool OltService::audit(const QJsonObject& line, QString* why) {
    QString reason;
    if (m_audit.append(line, &reason))
        return true;
    if (why)
        *why = QStringLiteral("audit log: %1; %2 %3 %4")
                   .arg(reason, line.value(QStringLiteral("event")).toString(),
                        line.value(QStringLiteral("page")).toString(),
                        line.value(QStringLiteral("id")).toString());
    return false;
}

void OltService::auditOrLog(const QJsonObject& line) {
    QString why;
    if (!audit(line, &why))
        m_log(why);
}

QString OltService::laneOf(const QString& ip) const {
    if (const OltEntry* entry = m_inventory.find(ip))
        return entry->driver == QLatin1String("simulated") ? kSharedLane
                                                           : QStringLiteral("olt ") + entry->ip;
    return m_inventory.defaultDriver.isEmpty() ? QString() : kSharedLane;
}

Lanes::Spec OltService::laneSpec(const QString& lane) const {
    const OltEntry* entry = lane == kSharedLane ? nullptr : m_inventory.find(lane.mid(4));
    return {entry ? entry->sessions : 1, [this, entry] { return m_makeDevice(entry); }};
}

void OltService::answer(const httpd::Request& request, const httpd::Reply& reply) {
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
            auditOrLog(line);
        }
        m_log(QStringLiteral("%1 %2 %3 %4")
                  .arg(client, httpd::shortened(request.path), QString::number(refused.status),
                       refused.outcome));
        if (refused.status != 405)
            return reply(respond(refused));
        return reply(respond(refused, {{"Allow", page->configuring ? "GET" : "GET, HEAD"}}));
    }
    if (page == &resultInfo())
        return reply(keptResult(queryValue(request.query, QStringLiteral("id"))));
    auto run = std::make_shared<Run>();
    run->page = page;
    run->request = request;
    run->client = client;
    run->now = m_clock.now();
    if (page->configuring)
        run->id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    dispatch(run, reply);
}

void OltService::dispatch(const std::shared_ptr<Run>& run, const httpd::Reply& reply) {
    const QString ip = queryValue(run->request.query, QStringLiteral("ip")).trimmed();
    const QString lane = laneOf(ip);
    if (lane.isEmpty())
        return reply(answerWithout(*run, Code::NotFound,
                                   QStringLiteral("OLT %1 IS NOT IN THE INVENTORY").arg(ip)));
    QObject* owner = m_owner.get();
    const bool queued = m_lanes.submit(lane, [this, run, reply, owner](Driver& driver) {
        work(*run, driver);
        // The service outlives its lanes, which are stopped before it goes.
        QMetaObject::invokeMethod(
            owner, [this, run, reply] { reply(finish(*run)); }, Qt::QueuedConnection);
    });
    if (!queued)
        reply(answerWithout(*run, Code::Busy,
                            QStringLiteral("OLT %1 is busy with other requests: try again in a "
                                           "few seconds")
                                .arg(ip)));
}

void OltService::work(Run& run, Driver& driver) {
    const auto beforeChange = [&](const QList<OnuSummary>& toRemove) {
        QJsonObject line = auditLine(QStringLiteral("change"), run.id, m_clock.now(), run.client,
                                     *run.page, run.request.query);
        if (run.page->name == QLatin1String("onu_offline.php"))
            line.insert(QStringLiteral("remove"), onuList(toRemove));
        run.recorded = audit(line, &run.auditFailure);
        if (run.recorded)
            killedAfterAuditLineInTests();
        return run.recorded;
    };
    PageContext context{driver, run.now, m_settings.offlineMinHours, beforeChange};
    try {
        run.answer = servePage(*run.page, run.request.query, context);
    } catch (const std::exception& e) {
        run.answer =
            errorPage(500, QStringLiteral("PAGE_FAILED"), QStringLiteral("Page failed"),
                      QStringLiteral("The page failed: %1").arg(QString::fromUtf8(e.what())));
    }
}

httpd::Response OltService::finish(Run& run) {
    if (!run.auditFailure.isEmpty())
        m_log(run.auditFailure);
    // Reads are not logged: desks poll status pages all day.
    if (!run.page->configuring)
        return respond(run.answer);
    const PageInfo& page = *run.page;
    const PageAnswer& answer = run.answer;
    // The service log leaves the query out: it carries passwords.
    m_log(QStringLiteral("%1 %2 %3 %4")
              .arg(run.client, httpd::shortened(run.request.path), QString::number(answer.status),
                   answer.outcome));
    if (!run.recorded)
        return respond(answer); // nothing was done, so nothing to keep
    QJsonObject line = auditLine(QStringLiteral("outcome"), run.id, m_clock.now(), run.client, page,
                                 run.request.query);
    line.insert(QStringLiteral("outcome"), answer.outcome);
    line.insert(QStringLiteral("status"), answer.status);
    if (page.name == QLatin1String("onu_offline.php"))
        line.insert(QStringLiteral("removed"), onuList(answer.removed));
    auditOrLog(line);
    const QString location = kPrefix + resultInfo().name + QStringLiteral("?id=") +
                             m_results.keep(answer, m_clock.now());
    HtmlPage moved(QStringLiteral("See the result"));
    moved.paragraph(QStringLiteral("The result is at %1.").arg(location));
    return respond({303, moved.html(), answer.outcome, {}}, {{"Location", location.toUtf8()}});
}

httpd::Response OltService::answerWithout(Run& run, Code code, const QString& message) {
    FixedDriver fixed(code, message);
    // Nothing is changed, so nothing needs an audit line before it.
    PageContext context{fixed, run.now, m_settings.offlineMinHours,
                        [](const QList<OnuSummary>&) { return true; }};
    const PageAnswer answer = servePage(*run.page, run.request.query, context);
    if (run.page->configuring) {
        QJsonObject line = auditLine(QStringLiteral("refused"), {}, m_clock.now(), run.client,
                                     *run.page, run.request.query);
        line.insert(QStringLiteral("outcome"), answer.outcome);
        line.insert(QStringLiteral("status"), answer.status);
        auditOrLog(line);
        m_log(QStringLiteral("%1 %2 %3 %4")
                  .arg(run.client, httpd::shortened(run.request.path),
                       QString::number(answer.status), answer.outcome));
    }
    if (code == Code::Busy)
        return respond(answer, {{"Retry-After", QByteArray::number(kRetryAfterSeconds)}});
    return respond(answer);
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
