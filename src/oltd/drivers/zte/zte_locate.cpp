#include "oltd/drivers/zte/zte_driver.h"

#include "oltd/drivers/zte/zte_common.h"
#include "oltd/mac.h"

#include <QHash>
#include <algorithm>

// Finding the ONU a request names: by MAC through the index and the OLT's
// MAC tables, by place and serial, by a key's octets or serial tail.
namespace oltd {

using namespace zte;

ZteDriver::Onu ZteDriver::reach(const OnuRef& ref) {
    if (ref.mac.trimmed().isEmpty() && !ref.place.isEmpty())
        return reachPlace(ref);
    const QString mac = macDigits(ref.mac.trimmed());
    if (mac.size() != 12)
        stop(Code::NotFound, QStringLiteral("\"%1\" is not a whole MAC address").arg(ref.mac));
    if (const auto known = m_index.byMac(mac)) {
        if (auto onu = verify({known->port, known->onuId}, known->serial, mac))
            return *onu;
    }
    if (const auto place = searchMac(mac)) {
        if (auto onu = verify(*place, {}, mac))
            return *onu;
    }
    stop(Code::NotFound,
         QStringLiteral("No ONU with MAC %1 on OLT %2").arg(formatMac(mac), ref.oltIp));
}

// A listed ONU whose MAC is not known: found at its place, while that place
// still holds the serial listed.
ZteDriver::Onu ZteDriver::reachPlace(const OnuRef& ref) {
    bool ok = false;
    const OnuPlace place{ref.place.section(QLatin1Char(':'), 0, 0),
                         ref.place.section(QLatin1Char(':'), 1).toInt(&ok)};
    const auto info = ok ? detail(place) : std::nullopt;
    if (!info || serialTail(info->serial) != serialTail(ref.serial))
        stop(Code::NotFound, QStringLiteral("No ONU with serial %1 at %2 on OLT %3")
                                 .arg(ref.serial, ref.place, ref.oltIp));
    return Onu{*info, {}};
}

// The ONU at `place` as the device shows it now; none (and the index
// corrected) when it is gone or another ONU holds the place.
std::optional<ZteDriver::Onu> ZteDriver::verify(const OnuPlace& place, const QString& serial,
                                                const QString& mac) {
    const auto info = detail(place);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (!info) {
        m_index.forgetOnu(place.port, place.onuId);
        return std::nullopt;
    }
    if (!serial.isEmpty() && serialTail(serial) != serialTail(info->serial)) {
        m_index.forgetMac(mac);
        learnSerial(place, info->serial);
        return std::nullopt;
    }
    m_index.remember({place.port, place.onuId, info->serial, mac, now});
    return Onu{*info, mac};
}

// A MAC seen on the place stays with it only while the place holds the same
// ONU (or one whose serial was not known yet).
void ZteDriver::learnSerial(const OnuPlace& place, const QString& serial) {
    const auto known = m_index.byOnu(place.port, place.onuId);
    const bool same =
        known && (known->serial.isEmpty() || serialTail(known->serial) == serialTail(serial));
    m_index.remember({place.port, place.onuId, serial, same ? known->mac : QString(),
                      same ? known->seen : QDateTime()});
}

void ZteDriver::learn(const OnuPlace& place, const QString& mac) {
    const auto known = m_index.byOnu(place.port, place.onuId);
    m_index.remember({place.port, place.onuId, known ? known->serial : QString(), mac,
                      QDateTime::currentDateTimeUtc()});
}

// Walks the working ONUs' MAC tables, then the WAN MACs of router ONUs,
// remembering every MAC seen; stops at `mac` (or never when it is empty).
std::optional<OnuPlace> ZteDriver::searchMac(const QString& mac) {
    QList<OnuPlace> working;
    for (const StateRow& r : states(QStringLiteral("show gpon onu state"))) {
        if (r.phase == QLatin1String("working"))
            working.append(r.place);
    }
    for (const OnuPlace& place : working) {
        const QString command = QStringLiteral("show mac gpon onu ") + onuName(place);
        const QString text = send(command);
        if (judge(text).refusal != Refusal::None)
            continue; // nothing learnt behind this ONU
        const auto rows = shown(command, text, parseMacTable);
        for (const MacRow& row : rows.value_or(QList<MacRow>())) {
            if (!row.onu)
                continue;
            learn(*row.onu, row.macDigits);
            if (row.macDigits == mac)
                return row.onu;
        }
    }
    for (const OnuPlace& place : working) {
        const QString command = QStringLiteral("show gpon remote-onu wan-ip ") + onuName(place);
        const QString text = send(command);
        if (judge(text).refusal != Refusal::None)
            continue; // a bridge ONU has no WAN of its own
        const auto wans = shown(command, text, parseWanStatus);
        for (const WanStatus& w : wans.value_or(QList<WanStatus>())) {
            secret(w.password);
            if (w.macDigits.isEmpty())
                continue;
            learn(place, w.macDigits);
            if (w.macDigits == mac)
                return place;
        }
    }
    return std::nullopt;
}

QDateTime ZteDriver::downSince(const QDateTime& offline) {
    // Down times are the OLT's wall clock, which may run off ours: shift them
    // by the difference so that "down since" compares with our time.
    if (!m_clockSkew) {
        m_clockSkew = 0;
        const QString command = QStringLiteral("show clock");
        const QString text = send(command);
        if (judge(text).refusal == Refusal::None) {
            if (const auto olt = parseClock(text, m_options.timeZone))
                m_clockSkew = olt->secsTo(QDateTime::currentDateTimeUtc());
        }
    }
    return std::abs(*m_clockSkew) > 120 ? offline.addSecs(*m_clockSkew) : offline;
}

OnuSummary ZteDriver::summary(const OnuPlace& place, const QString& state) {
    OnuSummary s;
    if (const auto known = m_index.byOnu(place.port, place.onuId)) {
        s.mac = known->mac.isEmpty() ? QString() : formatMac(known->mac);
        s.serial = known->serial;
    }
    s.port = placeText(place);
    s.state = state;
    return s;
}

QHash<QString, QString> ZteDriver::phases() {
    QHash<QString, QString> out;
    for (const StateRow& s : states(QStringLiteral("show gpon onu state")))
        out.insert(placeText(s.place), s.phase);
    return out;
}

// Trailing MAC octets: the live MAC tables are read in full (the index
// learns them), then every MAC ever seen is matched, as an ONU that is down
// now is still known by the MAC it had.
QList<OnuSummary> ZteDriver::macMatches(const QString& digits, int limit) {
    searchMac({});
    const auto phase = phases();
    QList<OnuSummary> out;
    for (const OnuLocation& l : m_index.matching(digits, std::max(limit, 0) + 64)) {
        if (out.size() >= limit)
            break;
        if (l.mac.isEmpty() || !l.mac.endsWith(digits))
            continue;
        const OnuPlace place{l.port, l.onuId};
        QString serial = l.serial;
        if (serial.isEmpty()) {
            const auto info = detail(place);
            if (!info)
                continue; // the ONU is gone since its MAC was seen
            serial = info->serial;
            learnSerial(place, serial);
        }
        OnuSummary s = summary(place, stateOfPhase(phase.value(placeText(place))));
        s.mac = formatMac(l.mac);
        s.serial = serial;
        out.append(s);
    }
    return out;
}

// A whole serial is asked of the OLT; a tail is matched against every ONU's
// serial, read from its detail-info where the index does not know it.
QList<OnuSummary> ZteDriver::serialMatches(const QString& key, int limit) {
    static const QRegularExpression whole(QStringLiteral("^[A-Z0-9]{4}[0-9A-F]{8}$"));
    QList<OnuSummary> out;
    if (whole.match(key).hasMatch()) {
        const QString command = QStringLiteral("show gpon onu by sn ") + key;
        const auto place = shown(command, send(command), parseSearchResult);
        if (place && limit > 0) {
            if (const auto info = detail(*place)) {
                OnuSummary s = summary(*place, stateOfPhase(info->phase));
                s.serial = info->serial;
                out.append(s);
            }
        }
        return out;
    }
    for (const StateRow& row : states(QStringLiteral("show gpon onu state"))) {
        if (out.size() >= limit)
            break;
        QString serial;
        if (const auto known = m_index.byOnu(row.place.port, row.place.onuId))
            serial = known->serial;
        if (serial.isEmpty()) {
            const auto info = detail(row.place);
            if (!info)
                continue;
            serial = info->serial;
            learnSerial(row.place, serial);
        }
        if (!serial.toUpper().endsWith(key))
            continue;
        OnuSummary s = summary(row.place, stateOfPhase(row.phase));
        s.serial = serial;
        out.append(s);
    }
    return out;
}

} // namespace oltd
