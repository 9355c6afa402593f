#include "oltd/drivers/huawei/huawei_driver.h"

#include "oltd/drivers/huawei/huawei_common.h"
#include "oltd/mac.h"

#include <QHash>
#include <algorithm>

// Finding the ONT a request names: by MAC through the index, the OLT's MAC
// tables and the ONTs' WAN status; by place and serial; by a key's octets
// or serial tail. And the OLT-wide readings these rest on.
namespace oltd {

using namespace huawei;

std::optional<OntInfo> HuaweiDriver::ontInfo(const Fsp& fsp, int ontId, Result& r) {
    const QString command = QStringLiteral("display ont info %1 %2 %3 %4")
                                .arg(fsp.frame)
                                .arg(fsp.slot)
                                .arg(fsp.port)
                                .arg(ontId);
    if (!leaveConfig(r))
        return std::nullopt;
    const auto text = exec(command, r);
    if (!text)
        return std::nullopt;
    auto info = parseOntInfo(*text, m_options.timeZone);
    if (!info || !(info->fsp == fsp) || info->ontId != ontId) {
        notUnderstood(command, *text, r);
        return std::nullopt;
    }
    return info;
}

void HuaweiDriver::remember(const Fsp& fsp, int ontId, const QString& serial, const QString& mac) {
    m_index.remember({fsp.text(), ontId, serial, mac, QDateTime::currentDateTimeUtc()});
}

// The ONT as messages name it: its MAC, or its serial and place.
QString HuaweiDriver::nameOf(const Ont& ont) const {
    return ont.mac.isEmpty() ? QStringLiteral("%1 (%2)").arg(ont.info.serial,
                                                             portOf(ont.info.fsp, ont.info.ontId))
                             : formatMac(ont.mac);
}

// A listed ONT whose MAC is not known: found at its place, while that place
// still holds the serial listed.
std::optional<HuaweiDriver::Ont> HuaweiDriver::atPlace(const OnuRef& ref, Result& r) {
    const auto fsp = parseFsp(ref.place.section(QLatin1Char(':'), 0, 0));
    bool ok = false;
    const int ontId = ref.place.section(QLatin1Char(':'), 1).toInt(&ok);
    Result check;
    const auto info = fsp && ok ? ontInfo(*fsp, ontId, check) : std::nullopt;
    if (info && serialTail(info->serial) == serialTail(ref.serial))
        return Ont{QString(), *info};
    if (info || check.code == Code::NotFound || !fsp || !ok)
        r = {Code::NotFound,
             QStringLiteral("No ONU with serial %1 at %2 on OLT %3")
                 .arg(ref.serial, ref.place, ref.oltIp),
             {}};
    else
        r = check;
    return std::nullopt;
}

std::optional<HuaweiDriver::Ont> HuaweiDriver::resolve(const OnuRef& ref, Need need, Result& r) {
    if (ref.mac.trimmed().isEmpty() && !ref.place.isEmpty()) {
        auto ont = atPlace(ref, r);
        if (ont && need != Need::Registered && ont->info.runState != QLatin1String("online")) {
            r = {Code::Offline, QStringLiteral("ONU %1 is offline").arg(ref.place), {}};
            return std::nullopt;
        }
        return ont;
    }
    const QString digits = macDigits(ref.mac.trimmed());
    if (digits.size() != 12) {
        r = {Code::NotFound, QStringLiteral("\"%1\" is not a whole MAC address").arg(ref.mac), {}};
        return std::nullopt;
    }
    std::optional<Ont> ont;
    if (const auto known = m_index.byMac(digits)) {
        const auto fsp = parseFsp(known->port);
        Result check;
        const auto info = fsp ? ontInfo(*fsp, known->onuId, check) : std::nullopt;
        if (info && serialTail(info->serial) == serialTail(known->serial)) {
            ont = Ont{digits, *info};
        } else if (info || check.code == Code::NotFound || !fsp) {
            // Another ONT sits there now, or none: what we knew is stale.
            m_index.forgetMac(digits);
            if (!info && fsp)
                m_index.forgetOnu(known->port, known->onuId);
        } else {
            r = check;
            return std::nullopt;
        }
    }
    if (!ont)
        ont = searchTables(digits, r);
    if (!ont && r.ok())
        ont = searchWanMacs(digits, r);
    if (!ont) {
        if (r.ok())
            r = {Code::NotFound,
                 QStringLiteral("No ONU with MAC %1 on OLT %2").arg(formatMac(digits), ref.oltIp),
                 {}};
        return std::nullopt;
    }
    const OntInfo& info = ont->info;
    if (need != Need::Registered && info.runState != QLatin1String("online")) {
        r = {Code::Offline,
             QStringLiteral("ONU %1 (%2) is offline%3")
                 .arg(formatMac(digits), portOf(info.fsp, info.ontId),
                      info.lastDownCause.isEmpty()
                          ? QString()
                          : QStringLiteral(" (%1)").arg(info.lastDownCause)),
             {}};
        return std::nullopt;
    }
    if (need == Need::Omci && info.tr069) {
        r = {Code::NeedsAcs,
             QStringLiteral("ONU %1 is managed through TR-069: change it from the ACS, not "
                            "through the OLT")
                 .arg(formatMac(digits)),
             {}};
        return std::nullopt;
    }
    return ont;
}

// The OLT's MAC table: where traffic from the MAC was last seen.
std::optional<HuaweiDriver::Ont> HuaweiDriver::searchTables(const QString& digits, Result& r) {
    const QString dashed = QStringLiteral("%1-%2-%3")
                               .arg(digits.mid(0, 4), digits.mid(4, 4), digits.mid(8, 4))
                               .toLower();
    const QString command = QStringLiteral("display location ") + dashed;
    Result failure;
    const auto text = exec(command, failure);
    if (!text) {
        // Whatever the device answers ("not found" may come as a Failure
        // line, older firmware may lack the command), the WAN status is
        // still worth a look; a line that failed is not.
        if (!m_lineOpen)
            r = failure;
        return std::nullopt;
    }
    const auto rows = parseMacTable(*text);
    if (!rows) {
        notUnderstood(command, *text, r);
        return std::nullopt;
    }
    for (const MacRow& row : *rows) {
        if (row.mac != digits)
            continue;
        const auto info = ontInfo(row.fsp, row.ontId, r);
        if (!info)
            return std::nullopt;
        remember(row.fsp, row.ontId, info->serial, digits);
        return Ont{digits, *info};
    }
    return std::nullopt;
}

// A router ONT's own WAN MAC shows in its WAN status even while no traffic
// puts it in the MAC table. Every MAC seen on the way is kept, so the next
// look-up finds it in the index.
std::optional<HuaweiDriver::Ont> HuaweiDriver::searchWanMacs(const QString& digits, Result& r) {
    // One scan reads every online ONT; what it found stays in the index, so
    // a MAC nobody has (a typing error) does not start another one at once.
    const auto now = std::chrono::steady_clock::now();
    if (m_lastWanScan && now - *m_lastWanScan < kWanScanPause)
        return std::nullopt;
    m_lastWanScan = now;
    const auto ports = summaries(r);
    if (!ports)
        return std::nullopt;
    for (const PortSummary& port : *ports)
        for (const SummaryRow& row : port.onts) {
            if (row.runState != QLatin1String("online"))
                continue;
            if (!enterBoard(port.fsp, r))
                return std::nullopt;
            const QString command =
                QStringLiteral("display ont wan-info %1 %2").arg(port.fsp.port).arg(row.ontId);
            Result failure;
            const auto text = exec(command, failure);
            if (!text) {
                if (!m_lineOpen) {
                    r = failure;
                    return std::nullopt;
                }
                continue; // gone offline meanwhile, or no WAN: not this one
            }
            const auto wans = parseWanInfo(*text);
            if (!wans)
                continue;
            for (const WanInfo& w : *wans) {
                if (w.mac.isEmpty())
                    continue;
                remember(port.fsp, row.ontId, row.serial, w.mac);
                if (w.mac == digits) {
                    const auto info = ontInfo(port.fsp, row.ontId, r);
                    if (!info)
                        return std::nullopt;
                    return Ont{digits, *info};
                }
            }
        }
    return std::nullopt;
}

std::optional<QList<ServicePort>> HuaweiDriver::servicePorts(const QString& command, Result& r) {
    const CommandReply reply = send(command);
    if (!reply.ok()) {
        r = {reply.code, reply.message, {}};
        return std::nullopt;
    }
    // "No service virtual port can be operated" is an empty list.
    const auto rows = parseServicePorts(reply.text);
    if (!rows) {
        if (const auto f = deviceFailure(reply.text))
            r = {f->code, command + QStringLiteral(": ") + f->text, {}};
        else
            notUnderstood(command, reply.text, r);
    }
    return rows;
}

// The PON ports with service ports, and those the index knows.
std::optional<QList<Fsp>> HuaweiDriver::portsInUse(Result& r) {
    const auto rows = servicePorts(QStringLiteral("display service-port all"), r);
    if (!rows)
        return std::nullopt;
    QStringList seen;
    QList<Fsp> ports;
    const auto add = [&](const Fsp& fsp) {
        if (!seen.contains(fsp.text())) {
            seen << fsp.text();
            ports << fsp;
        }
    };
    for (const ServicePort& sp : *rows)
        add(sp.fsp);
    for (const OnuLocation& l : m_index.all())
        if (const auto fsp = parseFsp(l.port))
            add(*fsp);
    std::sort(ports.begin(), ports.end(), [](const Fsp& a, const Fsp& b) {
        return std::tie(a.frame, a.slot, a.port) < std::tie(b.frame, b.slot, b.port);
    });
    return ports;
}

std::optional<QList<PortSummary>> HuaweiDriver::summaries(Result& r) {
    const auto ports = portsInUse(r);
    if (!ports)
        return std::nullopt;
    QList<PortSummary> list;
    for (const Fsp& fsp : *ports) {
        const QString command = QStringLiteral("display ont info summary ") + fsp.text();
        Result failure;
        const auto text = exec(command, failure);
        if (!text) {
            if (failure.message.contains(QLatin1String("no ONT available")))
                continue;
            r = failure;
            return std::nullopt;
        }
        const auto s = parseSummary(*text, m_options.timeZone);
        if (!s || !(s->fsp == fsp)) {
            notUnderstood(command, *text, r);
            return std::nullopt;
        }
        list << *s;
    }
    return list;
}

OnuSummary HuaweiDriver::summaryOf(const Fsp& fsp, const SummaryRow& row) const {
    OnuSummary s;
    s.serial = row.serial;
    s.port = portOf(fsp, row.ontId);
    s.state = stateOf(row.runState, row.lastDownCause);
    s.downCause = row.lastDownCause;
    s.downSince = row.lastDownTime;
    if (const auto known = m_index.byOnu(fsp.text(), row.ontId);
        known && serialTail(known->serial) == serialTail(row.serial) && !known->mac.isEmpty())
        s.mac = formatMac(known->mac);
    return s;
}

qint64 HuaweiDriver::clockSkew(Result& r) {
    const CommandReply reply = send(QStringLiteral("display time"));
    if (!reply.ok()) {
        r = {reply.code, reply.message, {}};
        return 0;
    }
    const auto olt = parseOltTime(reply.text, m_options.timeZone);
    return olt ? QDateTime::currentDateTimeUtc().secsTo(*olt) : 0;
}

std::optional<OntConfig> HuaweiDriver::ontConfig(const Ont& ont, Result& r) {
    const QString command = QStringLiteral("display current-configuration ont %1 %2")
                                .arg(ont.info.fsp.text())
                                .arg(ont.info.ontId);
    if (!leaveConfig(r))
        return std::nullopt;
    const auto text = exec(command, r);
    if (!text)
        return std::nullopt;
    const auto config = parseOntConfig(*text, ont.info.fsp.port, ont.info.ontId);
    if (!config)
        notUnderstood(command, *text, r);
    return config;
}

std::optional<WanInfo> HuaweiDriver::internetWan(const Ont& ont, Result& r) {
    const auto wans = boardRead(ont, "display ont wan-info %1 %2", parseWanInfo, r);
    if (!wans)
        return std::nullopt;
    for (const WanInfo& w : *wans) {
        if (!w.mac.isEmpty())
            remember(ont.info.fsp, ont.info.ontId, ont.info.serial, w.mac);
    }
    for (const WanInfo& w : *wans)
        if (w.serviceType.compare(QLatin1String("Internet"), Qt::CaseInsensitive) == 0)
            return w;
    return WanInfo{};
}

namespace {

OnuSummary summaryFromInfo(const OntInfo& i, const QString& mac) {
    OnuSummary s;
    s.mac = mac.isEmpty() ? QString() : formatMac(mac);
    s.serial = i.serial;
    s.port = portOf(i.fsp, i.ontId);
    s.state = stateOf(i.runState, i.lastDownCause);
    s.downCause = i.lastDownCause;
    s.downSince = i.lastDownTime;
    return s;
}

} // namespace

// Puts every MAC the OLT knows now into the index: the board-wide table
// where the firmware has one, else each online ONT's own.
bool HuaweiDriver::learnMacs(Result& r) {
    const auto ports = summaries(r);
    if (!ports)
        return false;
    QHash<QString, QString> serials;
    for (const PortSummary& port : *ports)
        for (const SummaryRow& row : port.onts)
            serials.insert(portOf(port.fsp, row.ontId), row.serial);
    const auto learn = [&](const QString& command) -> std::optional<bool> {
        Result failure;
        const auto text = exec(command, failure);
        if (!text) {
            if (failure.code == Code::Unsupported || failure.code == Code::NotFound ||
                failure.code == Code::Offline)
                return false;
            r = failure;
            return std::nullopt;
        }
        const auto rows = parseMacTable(*text);
        if (!rows) {
            notUnderstood(command, *text, r);
            return std::nullopt;
        }
        for (const MacRow& row : *rows)
            if (const QString serial = serials.value(portOf(row.fsp, row.ontId)); !serial.isEmpty())
                remember(row.fsp, row.ontId, serial, row.mac);
        return true;
    };
    const auto board = learn(QStringLiteral("display mac-address all"));
    if (!board)
        return false;
    if (*board)
        return true;
    for (const PortSummary& port : *ports)
        for (const SummaryRow& row : port.onts)
            if (row.runState == QLatin1String("online") &&
                !learn(QStringLiteral("display mac-address ont %1 %2")
                           .arg(port.fsp.text())
                           .arg(row.ontId)))
                return false;
    return true;
}

// Trailing octets: what the OLT shows now and what the index has seen
// (an offline ONT keeps the MAC it had), each checked on the OLT.
QList<OnuSummary> HuaweiDriver::findByOctets(const QString& digits, int limit, Result& r) {
    QList<OnuSummary> found;
    if (!learnMacs(r))
        return found;
    for (const OnuLocation& l : m_index.all()) {
        if (l.mac.isEmpty() || !l.mac.endsWith(digits) || found.size() >= limit)
            continue;
        const auto fsp = parseFsp(l.port);
        Result check;
        const auto info = fsp ? ontInfo(*fsp, l.onuId, check) : std::nullopt;
        if (info && serialTail(info->serial) == serialTail(l.serial)) {
            found << summaryFromInfo(*info, l.mac);
        } else if (info || check.code == Code::NotFound) {
            m_index.forgetMac(l.mac);
        } else {
            r = check;
            break;
        }
    }
    return found;
}

QList<OnuSummary> HuaweiDriver::findBySerial(const QString& key, Result& r) {
    QList<OnuSummary> found;
    const QString whole = readableSerial(key);
    if (!whole.isEmpty()) {
        const QString command = QStringLiteral("display ont info by-sn ") + hexSerial(whole);
        Result failure;
        const auto text = exec(command, failure);
        if (!text) {
            if (failure.code != Code::NotFound)
                r = failure;
            return found;
        }
        const auto info = parseOntInfo(*text, m_options.timeZone);
        if (!info) {
            notUnderstood(command, *text, r);
            return found;
        }
        const auto known = m_index.byOnu(info->fsp.text(), info->ontId);
        found << summaryFromInfo(*info, known && serialTail(known->serial) == serialTail(whole)
                                            ? known->mac
                                            : QString());
        return found;
    }
    // A tail: the last hex digits are the same in both forms.
    const QString tail = key.toUpper();
    if (const auto ports = summaries(r))
        for (const PortSummary& port : *ports)
            for (const SummaryRow& row : port.onts)
                if (row.serial.endsWith(tail) || hexSerial(row.serial).endsWith(tail))
                    found << summaryOf(port.fsp, row);
    return found;
}

Answer<QList<OnuSummary>> HuaweiDriver::findOnu(const QString& oltIp, const QString& key,
                                                int limit) {
    Answer<QList<OnuSummary>> a;
    Result& r = a.result;
    const QString k = key.trimmed();
    const QString digits = macDigits(k);
    const bool separated = k.contains(QLatin1Char(':')) || k.contains(QLatin1Char('-')) ||
                           k.contains(QLatin1Char('.'));
    QList<OnuSummary> found;
    if (digits.size() == 12) {
        // A whole MAC: found as every operation finds its ONU.
        Result lookup;
        if (const auto ont = resolve({oltIp, digits}, Need::Registered, lookup))
            found << summaryFromInfo(ont->info, digits);
        else if (lookup.code != Code::NotFound)
            r = lookup;
    } else if (separated && !digits.isEmpty() && digits.size() % 2 == 0) {
        found = findByOctets(digits, limit, r);
    } else if (!readableSerial(k).isEmpty() || (!separated && !k.isEmpty())) {
        found = findBySerial(k, r);
    } else {
        r = {Code::NotFound,
             QStringLiteral("\"%1\" is neither MAC octets nor part of a serial number").arg(key),
             {}};
    }
    for (const OnuSummary& s : found)
        if (a.value.size() < limit &&
            std::none_of(a.value.cbegin(), a.value.cend(),
                         [&](const OnuSummary& o) { return o.port == s.port; }))
            a.value.append(s);
    if (r.ok() && a.value.isEmpty())
        r = {Code::NotFound, QStringLiteral("No ONU matches %1").arg(key), {}};
    else if (r.ok())
        r.message = QStringLiteral("%1 ONU(s) match %2").arg(QString::number(a.value.size()), key);
    settle(r);
    return a;
}

} // namespace oltd
