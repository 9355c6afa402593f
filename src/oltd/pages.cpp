#include "oltd/pages.h"

#include "oltd/html.h"

#include <QRegularExpression>
#include <functional>

namespace oltd {

namespace {

using Fields = QList<QPair<QString, QString>>;
const QString kMasked = QStringLiteral("********");

QString param(const QUrlQuery& q, const QString& key) {
    return queryValue(q, key);
}

int number(const QUrlQuery& q, const QString& key) {
    bool ok = false;
    const int n = param(q, key).trimmed().toInt(&ok);
    return ok ? n : 0;
}

OnuRef onuOf(const QUrlQuery& q) {
    return {param(q, QStringLiteral("ip")).trimmed(), param(q, QStringLiteral("mac")).trimmed()};
}

HtmlPage begin(const QString& title, const PageInfo& page, const QUrlQuery& q) {
    HtmlPage p(title);
    QStringList values;
    values.reserve(page.keys.size());
    for (const QString& key : page.keys)
        values << (isSecretKey(key) ? kMasked : param(q, key));
    p.asked(page.keys, values);
    return p;
}

PageAnswer finish(HtmlPage& p, const Result& r) {
    p.outcome(r.ok(), codeName(r.code), r.message);
    p.transcript(r.transcript);
    return {httpStatus(r.code), p.html(), codeName(r.code), {}};
}

PageAnswer changeNotMade() {
    return errorPage(503, QStringLiteral("AUDIT_FAILED"), QStringLiteral("Service unavailable"),
                     QStringLiteral("Nothing was changed: the change could not be recorded in "
                                    "the audit log. Try again later; the service's log says "
                                    "why."));
}

QString dbm(double value) {
    return QString::number(value, 'f', 1) + QLatin1String(" dBm");
}

QString twoDigits(qint64 n) {
    return n < 10 ? QLatin1Char('0') + QString::number(n) : QString::number(n);
}

QString duration(qint64 seconds) {
    return QString::number(seconds / 86400) + QLatin1String(" d ") +
           twoDigits(seconds % 86400 / 3600) + QLatin1Char(':') + twoDigits(seconds % 3600 / 60) +
           QLatin1Char(':') + twoDigits(seconds % 60);
}

QString bytes(qint64 n) {
    return QStringLiteral("%1 (%2 MB)").arg(n).arg(double(n) / 1048576.0, 0, 'f', 1);
}

QString vlanText(int vlan) {
    return vlan > 0 ? QString::number(vlan) : QStringLiteral("none");
}

QList<QStringList> onuRows(const QList<OnuSummary>& onus) {
    QList<QStringList> rows;
    for (const OnuSummary& o : onus)
        rows.append({o.port, o.mac, o.serial, o.state, o.wanUser, vlanText(o.wanVlan)});
    return rows;
}

const QStringList kOnuHeader{QStringLiteral("PON port"), QStringLiteral("MAC"),
                             QStringLiteral("Serial"),   QStringLiteral("State"),
                             QStringLiteral("WAN user"), QStringLiteral("VLAN")};

// What the ONU can be configured through, for the pages that configure it.
void capabilityLine(HtmlPage& p, const QUrlQuery& q, Driver& d) {
    const auto caps = d.capabilities(onuOf(q));
    if (!caps.result.ok())
        return;
    QStringList through;
    if (caps.value.omciWan)
        through << QStringLiteral("OMCI WAN");
    if (caps.value.omciWifi)
        through << QStringLiteral("OMCI Wi-Fi");
    if (caps.value.omciVoip)
        through << QStringLiteral("OMCI VoIP");
    if (caps.value.tr069)
        through << QStringLiteral("TR-069");
    p.paragraph(QStringLiteral("Configured through: ") + through.join(QStringLiteral(", ")));
}

PageAnswer onuStatus(const PageInfo& page, const QUrlQuery& q, Driver& d) {
    HtmlPage p = begin(QStringLiteral("ONU status"), page, q);
    const auto a = d.onuStatus(onuOf(q));
    if (a.result.ok()) {
        const OnuStatus& s = a.value;
        const bool online = s.state == QLatin1String("ONLINE");
        const Fields f{
            {QStringLiteral("State"), s.state},
            {QStringLiteral("Last down cause"), s.lastDownCause},
            {QStringLiteral("ONU Rx power"), online ? dbm(s.rxPowerDbm) : QString()},
            {QStringLiteral("ONU Tx power"), online ? dbm(s.txPowerDbm) : QString()},
            {QStringLiteral("OLT Rx power"), online ? dbm(s.oltRxPowerDbm) : QString()},
            {QStringLiteral("Distance"), QString::number(s.distanceMetres) + QLatin1String(" m")},
            {QStringLiteral("Uptime"), online ? duration(s.uptimeSeconds) : QString()},
            {QStringLiteral("Serial"), s.serial},
            {QStringLiteral("Model"), s.model},
            {QStringLiteral("PON port"), s.port}};
        p.fields(f);
    }
    return finish(p, a.result);
}

PageAnswer wanStatus(const PageInfo& page, const QUrlQuery& q, Driver& d) {
    HtmlPage p = begin(QStringLiteral("ONU WAN status"), page, q);
    capabilityLine(p, q, d);
    const auto a = d.wanGet(onuOf(q));
    if (a.result.ok())
        p.fields({{QStringLiteral("Mode"), a.value.mode},
                  {QStringLiteral("User"), a.value.user},
                  {QStringLiteral("Password"), a.value.password.isEmpty() ? QString() : kMasked},
                  {QStringLiteral("VLAN"), vlanText(a.value.vlan)},
                  {QStringLiteral("MTU"), QString::number(a.value.mtu)}});
    return finish(p, a.result);
}

PageAnswer wanConfig(const PageInfo& page, const QUrlQuery& q, Driver& d) {
    HtmlPage p = begin(QStringLiteral("ONU WAN configuration"), page, q);
    WanSettings wan{QStringLiteral("PPPOE"), param(q, QStringLiteral("bb_id")).trimmed(),
                    param(q, QStringLiteral("bb_pas")), number(q, QStringLiteral("bb_inner_vlan")),
                    number(q, QStringLiteral("bb_mtu"))};
    return finish(p, d.wanSet(onuOf(q), wan));
}

PageAnswer phoneStatus(const PageInfo& page, const QUrlQuery& q, Driver& d) {
    HtmlPage p = begin(QStringLiteral("ONU phone status"), page, q);
    capabilityLine(p, q, d);
    const auto a = d.voipGet(onuOf(q));
    if (a.result.ok())
        p.fields(
            {{QStringLiteral("Line"), QString::number(a.value.line)},
             {QStringLiteral("SIP domain"), a.value.sipDomain},
             {QStringLiteral("SIP user"), a.value.user},
             {QStringLiteral("SIP password"), a.value.password.isEmpty() ? QString() : kMasked},
             {QStringLiteral("VoIP VLAN"), vlanText(a.value.vlan)},
             {QStringLiteral("Registered"),
              a.value.registered ? QStringLiteral("yes") : QStringLiteral("no")}});
    return finish(p, a.result);
}

PageAnswer phoneConfig(const PageInfo& page, const QUrlQuery& q, Driver& d) {
    HtmlPage p = begin(QStringLiteral("ONU phone configuration"), page, q);
    VoipSettings voip{1,
                      param(q, QStringLiteral("sip")).trimmed(),
                      sipUserOf(param(q, QStringLiteral("phone")).trimmed()),
                      param(q, QStringLiteral("pas")),
                      number(q, QStringLiteral("voip_vlan")),
                      false};
    return finish(p, d.voipSet(onuOf(q), voip));
}

PageAnswer wifiStatus(const PageInfo& page, const QUrlQuery& q, Driver& d) {
    HtmlPage p = begin(QStringLiteral("ONU Wi-Fi status"), page, q);
    capabilityLine(p, q, d);
    const auto a = d.wifiGet(onuOf(q));
    if (a.result.ok()) {
        QList<QStringList> rows;
        // Like every password, the key is never shown: only whether one is set.
        for (const WifiSettings& w : a.value)
            rows.append({bandName(w.band), w.ssid, w.key.isEmpty() ? QString() : kMasked});
        p.table({QStringLiteral("Band"), QStringLiteral("Network name"), QStringLiteral("Key")},
                rows);
    }
    return finish(p, a.result);
}

PageAnswer wifiConfig(const PageInfo& page, const QUrlQuery& q, Driver& d, Band band) {
    HtmlPage p = begin(QStringLiteral("ONU Wi-Fi configuration (%1)").arg(bandName(band)), page, q);
    WifiSettings wifi{band, param(q, QStringLiteral("name")), param(q, QStringLiteral("pas"))};
    return finish(p, d.wifiSet(onuOf(q), wifi));
}

PageAnswer restart(const PageInfo& page, const QUrlQuery& q, Driver& d) {
    HtmlPage p = begin(QStringLiteral("ONU reboot"), page, q);
    return finish(p, d.reboot(onuOf(q)));
}

PageAnswer reset(const PageInfo& page, const QUrlQuery& q, Driver& d) {
    HtmlPage p = begin(QStringLiteral("ONU factory reset"), page, q);
    return finish(p, d.factoryReset(onuOf(q)));
}

QString downText(const QDateTime& time) {
    return time.isValid() ? time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) : QString();
}

QStringList offlineRow(const OnuSummary& o, const Result& r) {
    return {o.port.section(QLatin1Char(':'), 0, 0),
            o.port.section(QLatin1Char(':'), 1),
            o.serial,
            o.mac,
            o.wanUser,
            downText(o.downSince),
            o.downCause,
            codeName(r.code),
            r.message};
}

const QStringList kOfflineHeader{
    QStringLiteral("PON port"), QStringLiteral("ONU id"),   QStringLiteral("Serial"),
    QStringLiteral("MAC"),      QStringLiteral("WAN user"), QStringLiteral("Last down"),
    QStringLiteral("Cause"),    QStringLiteral("Outcome"),  QStringLiteral("Message")};

// Removes the ONUs down longer than the configured hours, never one that was
// online within them: the driver checks that again as it removes each.
PageAnswer offline(const PageInfo& page, const QUrlQuery& q, PageContext& c) {
    HtmlPage p = begin(QStringLiteral("Clear offline ONUs"), page, q);
    const QString ip = param(q, QStringLiteral("ip")).trimmed();
    const QDateTime downBefore = c.now.addSecs(-qint64(c.offlineMinHours) * 3600);
    p.paragraph(QStringLiteral("ONUs offline for more than %1 hours (down at %2 or earlier) are "
                               "removed.")
                    .arg(QString::number(c.offlineMinHours), downText(downBefore)));
    const auto list = c.driver.offlineList(ip, downBefore);
    if (!list.result.ok())
        return finish(p, list.result);
    if (!c.beforeChange(list.value))
        return changeNotMade();
    Result overall = list.result;
    QList<QStringList> rows;
    QList<OnuSummary> removed;
    for (const OnuSummary& o : list.value) {
        const Result r = c.driver.onuDelete({ip, o.mac, o.port, o.serial}, downBefore);
        rows.append(offlineRow(o, r));
        if (r.ok())
            removed.append(o);
        overall.transcript += r.transcript;
        if (!r.ok() && overall.ok())
            overall = {r.code, r.message, overall.transcript};
    }
    if (overall.ok())
        overall.message = QStringLiteral("%1 offline ONU(s) removed from %2")
                              .arg(QString::number(removed.size()), ip);
    if (rows.isEmpty())
        p.paragraph(QStringLiteral("No ONU has been offline that long on this OLT."));
    else
        p.table(kOfflineHeader, rows);
    PageAnswer answer = finish(p, overall);
    answer.removed = removed;
    return answer;
}

PageAnswer usage(const PageInfo& page, const QUrlQuery& q, Driver& d) {
    HtmlPage p = begin(QStringLiteral("ONU usage"), page, q);
    const auto a = d.traffic(onuOf(q));
    if (a.result.ok())
        p.fields({{QStringLiteral("Received"), bytes(a.value.rxBytes)},
                  {QStringLiteral("Sent"), bytes(a.value.txBytes)},
                  {QStringLiteral("Sampled at"),
                   a.value.sampledAt.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))}});
    return finish(p, a.result);
}

PageAnswer vlanCheck(const PageInfo& page, const QUrlQuery& q, Driver& d) {
    HtmlPage p = begin(QStringLiteral("VLAN check"), page, q);
    const QString text = param(q, QStringLiteral("vlan")).trimmed();
    bool ok = false;
    const int vlan = text.toInt(&ok);
    if (!ok || vlan < 1 || vlan > 4094) {
        p.outcome(false, QStringLiteral("BAD_REQUEST"),
                  QStringLiteral("\"%1\" is not a VLAN number (1 to 4094)").arg(text));
        return {400, p.html(), QStringLiteral("BAD_REQUEST"), {}};
    }
    const QString ip = param(q, QStringLiteral("ip")).trimmed();
    const auto a = d.onusByVlan(ip, vlan);
    if (a.result.ok()) {
        if (a.value.isEmpty())
            p.paragraph(
                QStringLiteral("VLAN %1 is free on OLT %2.").arg(QString::number(vlan), ip));
        else
            p.table(kOnuHeader, onuRows(a.value));
    }
    return finish(p, a.result);
}

PageAnswer onuMac(const PageInfo& page, const QUrlQuery& q, Driver& d) {
    const QString ip = param(q, QStringLiteral("ip")).trimmed();
    const QString key = param(q, QStringLiteral("mac")).trimmed();
    // Two matches are enough to know the answer is not unique.
    const auto a = d.findOnu(ip, key, 2);
    if (a.result.ok() && a.value.size() == 1) {
        const QString body = macMatchText(a.value.first(), ip);
        const QByteArray html =
            QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
                           "<title>ONU MAC</title></head><body>%1</body></html>\n")
                .arg(body.toHtmlEscaped())
                .toUtf8();
        return {200, html, codeName(Code::Ok), {}};
    }
    HtmlPage p = begin(QStringLiteral("ONU MAC"), page, q);
    // This sentence alone is longer than a match's text, so no answer other
    // than a single match can ever be taken for one.
    p.paragraph(QStringLiteral("Nothing to import: the MAC octets must match exactly one ONU on "
                               "this OLT. Type more octets of the MAC and try again."));
    if (a.result.ok()) {
        p.table(kOnuHeader, onuRows(a.value));
        return finish(p, {Code::NotFound, QStringLiteral("More than one ONU matches %1").arg(key),
                          a.result.transcript});
    }
    return finish(p, a.result);
}

using DriverPage = PageAnswer (*)(const PageInfo&, const QUrlQuery&, Driver&);
using Handler = std::function<PageAnswer(const PageInfo&, const QUrlQuery&, PageContext&)>;

// Most pages need the driver alone.
Handler onDriver(DriverPage page) {
    return [page](const PageInfo& info, const QUrlQuery& q, PageContext& c) {
        return page(info, q, c.driver);
    };
}

struct PageEntry {
    PageInfo info;
    Handler handler;
    // The page calls beforeChange itself (it learns what it changes first).
    bool gatesItself = false;
};

const QList<PageEntry>& entries() {
    const QString ip = QStringLiteral("ip"), mac = QStringLiteral("mac");
    static const QList<PageEntry> list{
        {{QStringLiteral("onu_status.php"), {ip, mac}, false}, onDriver(onuStatus)},
        {{QStringLiteral("onu_wan_status.php"), {ip, mac}, false}, onDriver(wanStatus)},
        {{QStringLiteral("onu_wan_config.php"),
          {ip, mac, QStringLiteral("bb_id"), QStringLiteral("bb_inner_vlan"),
           QStringLiteral("bb_pas"), QStringLiteral("bb_mtu")},
          true},
         onDriver(wanConfig)},
        {{QStringLiteral("onu_phone_status.php"), {ip, mac}, false}, onDriver(phoneStatus)},
        {{QStringLiteral("onu_phone_config.php"),
          {ip, mac, QStringLiteral("voip_vlan"), QStringLiteral("pas"), QStringLiteral("sip"),
           QStringLiteral("phone")},
          true},
         onDriver(phoneConfig)},
        {{QStringLiteral("onu_wifi_status.php"), {ip, mac}, false}, onDriver(wifiStatus)},
        {{QStringLiteral("onu_wifi_config.php"),
          {ip, mac, QStringLiteral("name"), QStringLiteral("pas")},
          true},
         [](const PageInfo& s, const QUrlQuery& q, PageContext& c) {
             return wifiConfig(s, q, c.driver, Band::Ghz24);
         }},
        {{QStringLiteral("onu_wifi_config5.php"),
          {ip, mac, QStringLiteral("name"), QStringLiteral("pas")},
          true},
         [](const PageInfo& s, const QUrlQuery& q, PageContext& c) {
             return wifiConfig(s, q, c.driver, Band::Ghz5);
         }},
        {{QStringLiteral("onu_restart.php"), {ip, mac}, true}, onDriver(restart)},
        {{QStringLiteral("onu_reset.php"), {ip, mac}, true}, onDriver(reset)},
        {{QStringLiteral("onu_offline.php"), {ip}, true}, offline, true},
        {{QStringLiteral("usage.php"), {ip, mac}, false}, onDriver(usage)},
        {{QStringLiteral("vlan_check.php"), {ip, QStringLiteral("vlan")}, false},
         onDriver(vlanCheck)},
        {{QStringLiteral("onu_mac.php"), {ip, mac}, false}, onDriver(onuMac)},
    };
    return list;
}

} // namespace

const QList<PageInfo>& pageList() {
    static const QList<PageInfo> pages = [] {
        QList<PageInfo> s;
        for (const PageEntry& e : entries())
            s.append(e.info);
        return s;
    }();
    return pages;
}

const PageInfo* findPage(const QString& name) {
    for (const PageInfo& s : pageList())
        if (s.name == name)
            return &s;
    return nullptr;
}

bool isSecretKey(const QString& key) {
    return key == QLatin1String("pas") || key == QLatin1String("bb_pas");
}

QString queryValue(const QUrlQuery& query, const QString& key) {
    return query.queryItemValue(key, QUrl::FullyDecoded);
}

QString missingKey(const PageInfo& page, const QUrlQuery& query) {
    for (const QString& key : page.keys)
        if (!query.hasQueryItem(key))
            return key;
    return {};
}

PageAnswer servePage(const PageInfo& page, const QUrlQuery& query, PageContext& context) {
    for (const PageEntry& e : entries()) {
        if (e.info.name != page.name)
            continue;
        if (e.info.configuring && !e.gatesItself && !context.beforeChange({}))
            return changeNotMade();
        return e.handler(e.info, query, context);
    }
    return errorPage(404, QStringLiteral("NO_PAGE"), QStringLiteral("Page not found"),
                     QStringLiteral("There is no page %1.").arg(page.name));
}

QString sipUserOf(const QString& phone) {
    return phone.startsWith(QLatin1Char('k')) ? QLatin1Char('+') + phone.mid(1) : phone;
}

QString macMatchText(const OnuSummary& onu, const QString& oltIp) {
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    // The browser folds runs of blanks and drops a trailing one, so the text
    // after the MAC has single blanks only and ends in a visible character.
    QString tail = QStringLiteral(" FOUND ON %1 PON %2 SERIAL %3 ")
                       .arg(oltIp, onu.port, onu.serial)
                       .replace(blanks, QStringLiteral(" "));
    tail = tail.leftJustified(57, QLatin1Char('.'), true);
    if (tail.endsWith(QLatin1Char(' ')))
        tail[tail.size() - 1] = QLatin1Char('.');
    return QStringLiteral("ONU MAC : ") + onu.mac + tail;
}

PageAnswer errorPage(int status, const QString& outcome, const QString& title,
                     const QString& text) {
    HtmlPage p(title);
    p.paragraph(text, QStringLiteral("fail"));
    return {status, p.html(), outcome, {}};
}

int httpStatus(Code code) {
    switch (code) {
    case Code::Ok:
        return 200;
    case Code::NotFound:
        return 404;
    case Code::Offline:
    case Code::NeedsAcs:
        return 409;
    case Code::Unsupported:
        return 501;
    case Code::Timeout:
        return 504;
    case Code::Busy:
        return 503;
    case Code::Auth:
    case Code::DeviceError:
        break;
    }
    return 502;
}

} // namespace oltd
