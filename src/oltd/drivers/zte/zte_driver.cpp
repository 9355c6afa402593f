#include "oltd/drivers/zte/zte_driver.h"

#include "oltd/mac.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstdlib>

namespace oltd {

using namespace zte;

namespace {

// Ends an operation early with what the caller is told.
struct Stop {
    Code code;
    QString message;
};

[[noreturn]] void stop(Code code, const QString& message) {
    throw Stop{code, message};
}

Result& resultOf(Result& r) {
    return r;
}
template <class T> Result& resultOf(Answer<T>& a) {
    return a.result;
}

const QString kMasked = QStringLiteral("********");

// The device prints passwords and keys in clear (WAN status, running
// config); whatever the session masked, none of them leaves the driver.
QString withoutSecrets(QString text, const QStringList& secrets) {
    for (const QString& s : secrets)
        text.replace(s, kMasked);
    return text;
}

QString scrub(QString line, const QStringList& secrets) {
    static const QRegularExpression label(QStringLiteral("^(\\s*Password\\s*:\\s*)\\S.*$"));
    static const QRegularExpression word(QStringLiteral("(\\b(?:password|key)\\s+)\\S+"));
    line = withoutSecrets(line, secrets);
    line.replace(label, QStringLiteral("\\1") + kMasked);
    line.replace(word, QStringLiteral("\\1") + kMasked);
    return line;
}

QStringList scrubbed(QStringList lines, const QStringList& secrets) {
    for (QString& l : lines)
        l = scrub(l, secrets);
    return lines;
}

QString causeText(const QString& cause) {
    if (cause == QLatin1String("DyingGasp"))
        return QStringLiteral("DYING-GASP");
    return cause.toUpper();
}

// The profile for another VLAN, named as the ONU's current one is:
// "PPPOE-2105" for 2105 -> "PPPOE-2106" for 2106. Empty when the current
// name does not carry its VLAN.
QString profileFor(const QString& profile, int oldVlan, int newVlan) {
    if (oldVlan <= 0)
        return {};
    const QRegularExpression number(QStringLiteral("(?<!\\d)%1(?!\\d)").arg(oldVlan));
    if (!number.match(profile).hasMatch())
        return {};
    QString renamed = profile;
    return renamed.replace(number, QString::number(newVlan));
}

std::optional<OnuConfig::Wan> firstWan(const OnuConfig& c) {
    for (const OnuConfig::Wan& w : c.wans) {
        if (w.id == 1)
            return w;
    }
    return c.wans.isEmpty() ? std::nullopt : std::optional<OnuConfig::Wan>(c.wans.first());
}

std::optional<OnuConfig::Sip> sipOf(const OnuConfig& c, const QString& port) {
    for (const OnuConfig::Sip& s : c.sips) {
        if (s.port == port)
            return s;
    }
    return std::nullopt;
}

int voipVlan(const OnuConfig& c) {
    for (const OnuConfig::Service& s : c.services) {
        if (s.name.contains(QLatin1String("VOIP"), Qt::CaseInsensitive))
            return s.vlan;
    }
    return 0;
}

std::optional<Band> bandOf(const QString& radio) {
    if (radio == QLatin1String("wifi_0/1"))
        return Band::Ghz24;
    if (radio == QLatin1String("wifi_0/5") || radio == QLatin1String("wifi_1/1"))
        return Band::Ghz5;
    return std::nullopt; // guest and further SSIDs
}

QString radioFor(Band band, const OnuConfig& c) {
    if (band == Band::Ghz24)
        return QStringLiteral("wifi_0/1");
    if (c.ssidNames.contains(QStringLiteral("wifi_1/1")))
        return QStringLiteral("wifi_1/1");
    return QStringLiteral("wifi_0/5");
}

QString unsafe(const QString& what) {
    return QStringLiteral("The %1 cannot be sent to the OLT: it must be one word of printable "
                          "ASCII without blanks or \"?\"")
        .arg(what);
}

} // namespace

ZteDriver::ZteDriver(CommandLine& line, OnuIndex& index, DeviceOptions options)
    : m_line(line)
    , m_index(index)
    , m_options(std::move(options)) {}

template <class Out, class Body> Out ZteDriver::operation(Body body) {
    Out out{};
    m_secrets.clear();
    m_clockSkew.reset();
    m_lineUp = true;
    try {
        body(out);
    } catch (const Stop& s) {
        out = Out{};
        resultOf(out).code = s.code;
        resultOf(out).message = withoutSecrets(s.message, m_secrets);
    }
    backToExec();
    resultOf(out).transcript = scrubbed(m_line.takeTranscript(), m_secrets);
    return out;
}

// --- the command line ------------------------------------------------------

QString ZteDriver::send(const QString& command, Confirm confirm) {
    const CommandReply r = m_line.run(command, confirm);
    if (!r.ok()) {
        m_lineUp = false;
        stop(r.code, r.message);
    }
    return r.text;
}

namespace {

// Ends the operation when the device refused the command.
void refuseOn(const QString& command, const QString& text) {
    const DeviceAnswer a = judge(text);
    switch (a.refusal) {
    case Refusal::None:
        return;
    case Refusal::NotFound:
        stop(Code::NotFound,
             QStringLiteral("The OLT answered \"%1\" with: %2").arg(command, a.text));
    case Refusal::UnknownCommand:
        stop(Code::Unsupported,
             QStringLiteral("This OLT does not know \"%1\": %2").arg(command, a.text));
    case Refusal::Error:
        break;
    }
    stop(Code::DeviceError, QStringLiteral("The OLT refused \"%1\": %2").arg(command, a.text));
}

[[noreturn]] void unreadable(const QString& command) {
    stop(Code::DeviceError,
         QStringLiteral("The OLT's answer to \"%1\" is not in a form this driver reads")
             .arg(command));
}

// The answer of a show command: none when the device has nothing to show.
template <class Parse>
auto shown(const QString& command, const QString& text, Parse parse)
    -> std::optional<typename decltype(parse(text))::value_type> {
    if (judge(text).refusal == Refusal::NotFound)
        return std::nullopt;
    refuseOn(command, text);
    auto value = parse(text);
    if (!value)
        unreadable(command);
    return *value;
}

} // namespace

QString ZteDriver::ask(const QString& command, Confirm confirm) {
    const QString text = send(command, confirm);
    refuseOn(command, text);
    return text;
}

void ZteDriver::configure(const OnuPlace& place, const QStringList& commands, Confirm confirm) {
    ask(QStringLiteral("configure terminal"));
    ask(QStringLiteral("pon-onu-mng ") + onuName(place));
    for (const QString& c : commands)
        ask(c, confirm);
    ask(QStringLiteral("end"));
}

// After an error halfway through a mode the next request must not start in it.
void ZteDriver::backToExec() {
    for (int i = 0; i < 3 && m_lineUp && m_line.prompt().contains(QLatin1Char('(')); ++i) {
        if (!m_line.run(QStringLiteral("end")).ok())
            m_lineUp = false;
    }
}

void ZteDriver::secret(const QString& text) {
    if (text.isEmpty() || m_secrets.contains(text))
        return;
    m_secrets.append(text);
    // The longest first, so that no part of one is left beside the mask of
    // a shorter one inside it.
    std::sort(m_secrets.begin(), m_secrets.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
    m_line.mask(text);
}

// --- reading the device ----------------------------------------------------

std::optional<DetailInfo> ZteDriver::detail(const OnuPlace& place) {
    const QString command = QStringLiteral("show gpon onu detail-info ") + onuName(place);
    const auto info = shown(command, send(command), [&](const QString& t) {
        return parseDetailInfo(t, m_options.timeZone);
    });
    if (info && !(info->place == place))
        unreadable(command);
    return info;
}

QList<StateRow> ZteDriver::states(const QString& command) {
    return shown(command, send(command), parseOnuStates).value_or(QList<StateRow>());
}

OnuConfig ZteDriver::config(const OnuPlace& place) {
    const QString command = QStringLiteral("show onu running config ") + onuName(place);
    const OnuConfig c = shown(command, send(command), parseOnuConfig).value_or(OnuConfig());
    for (const OnuConfig::Wan& w : c.wans)
        secret(w.password);
    for (const OnuConfig::Sip& s : c.sips)
        secret(s.password);
    for (const QString& key : c.ssidKeys)
        secret(key);
    return c;
}

QString ZteDriver::name(const Onu& onu) const {
    return QStringLiteral("%1 (%2)").arg(formatMac(onu.mac), placeText(onu.info.place));
}

void ZteDriver::requireOnline(const Onu& onu) {
    if (onu.info.phase != QLatin1String("working"))
        stop(Code::Offline,
             QStringLiteral("ONU %1 is offline (%2)").arg(name(onu), onu.info.phase));
}

// --- finding the ONU (index, then the OLT's MAC tables) ---------------------

ZteDriver::Onu ZteDriver::reach(const OnuRef& ref) {
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

// --- operations ------------------------------------------------------------

Answer<Capabilities> ZteDriver::capabilities(const OnuRef& ref) {
    return operation<Answer<Capabilities>>([&](Answer<Capabilities>& a) {
        const Onu o = reach(ref);
        const OnuConfig c = config(o.info.place);
        a.value = {!c.wans.isEmpty(), !c.ssidNames.isEmpty(), !c.sips.isEmpty(), false};
        a.result.message = QStringLiteral("Capabilities of ONU %1 (%2)").arg(name(o), o.info.type);
    });
}

Answer<OnuStatus> ZteDriver::onuStatus(const OnuRef& ref) {
    return operation<Answer<OnuStatus>>([&](Answer<OnuStatus>& a) {
        const Onu o = reach(ref);
        OnuStatus& s = a.value;
        s.mac = formatMac(o.mac);
        s.port = placeText(o.info.place);
        s.state = stateOfPhase(o.info.phase);
        s.lastDownCause = causeText(lastDownCause(o.info));
        s.serial = o.info.serial;
        s.model = o.info.type;
        if (s.state == QLatin1String("ONLINE")) {
            const QString command =
                QStringLiteral("show pon power attenuation ") + onuName(o.info.place);
            const Optics optics = *shown(command, ask(command), parseAttenuation);
            if (!optics.onuRx || !optics.onuTx || !optics.oltRx)
                stop(Code::DeviceError,
                     QStringLiteral("The OLT shows no optical levels for working ONU %1")
                         .arg(name(o)));
            s.rxPowerDbm = *optics.onuRx;
            s.txPowerDbm = *optics.onuTx;
            s.oltRxPowerDbm = *optics.oltRx;
            s.distanceMetres = o.info.distanceMetres;
            s.uptimeSeconds = o.info.uptimeSeconds;
        } else if (s.lastDownCause.isEmpty() && s.state == QLatin1String("OFFLINE")) {
            s.lastDownCause = causeText(o.info.phase);
        }
        a.result.message = QStringLiteral("ONU %1 is %2").arg(name(o), s.state);
    });
}

Answer<WanSettings> ZteDriver::wanGet(const OnuRef& ref) {
    return operation<Answer<WanSettings>>([&](Answer<WanSettings>& a) {
        const Onu o = reach(ref);
        requireOnline(o);
        const QString command =
            QStringLiteral("show gpon remote-onu wan-ip ") + onuName(o.info.place);
        const auto wans =
            shown(command, send(command), parseWanStatus).value_or(QList<WanStatus>());
        for (const WanStatus& w : wans)
            secret(w.password);
        const auto it =
            std::find_if(wans.begin(), wans.end(), [](const WanStatus& w) { return w.id == 1; });
        if (wans.isEmpty()) {
            a.result.message =
                QStringLiteral("ONU %1 has no WAN connection of its own (bridged)").arg(name(o));
            return;
        }
        const WanStatus& w = it != wans.end() ? *it : wans.first();
        a.value = {w.mode.toUpper(), w.user, w.password, w.cvlan, 0};
        a.result.message = QStringLiteral("WAN of ONU %1: %2").arg(name(o), w.status);
    });
}

Result ZteDriver::wanSet(const OnuRef& ref, const WanSettings& wan) {
    return operation<Result>([&](Result& r) {
        if (!isCliToken(wan.user))
            stop(Code::DeviceError, unsafe(QStringLiteral("PPPoE user name")));
        if (!isCliToken(wan.password))
            stop(Code::DeviceError, unsafe(QStringLiteral("PPPoE password")));
        if (wan.vlan < 1 || wan.vlan > 4094)
            stop(Code::DeviceError, QStringLiteral("The VLAN must be 1 to 4094"));
        secret(wan.password);
        const Onu o = reach(ref);
        requireOnline(o);
        const OnuConfig before = config(o.info.place);
        const auto old = firstWan(before);
        if (!old || old->profile.isEmpty())
            stop(Code::DeviceError,
                 QStringLiteral("ONU %1 has no WAN profile on the OLT: its WAN is set up when it "
                                "is provisioned")
                     .arg(name(o)));
        const int oldVlan = wanVlan(before, old->profile);
        const QString profile =
            wan.vlan == oldVlan ? old->profile : profileFor(old->profile, oldVlan, wan.vlan);
        if (profile.isEmpty())
            stop(Code::DeviceError,
                 QStringLiteral("VLAN %1 needs a vlan-profile this driver cannot name from %2; "
                                "change the VLAN on the OLT")
                     .arg(QString::number(wan.vlan), old->profile));
        configure(o.info.place,
                  {QStringLiteral("wan-ip %1 mode pppoe username %2 password %3 vlan-profile %4 "
                                  "host %5")
                       .arg(QString::number(old->id), wan.user, wan.password, profile,
                            QString::number(old->host > 0 ? old->host : 1))});
        const OnuConfig after = config(o.info.place);
        const auto now = firstWan(after);
        const int vlan = now ? wanVlan(after, now->profile) : 0;
        if (now && now->mode == QLatin1String("pppoe") && now->user == wan.user &&
            now->password == wan.password && now->profile == profile && vlan == wan.vlan) {
            r.message = QStringLiteral("WAN of ONU %1 set: PPPoE user %2, VLAN %3")
                            .arg(name(o), wan.user, QString::number(vlan));
            if (wan.mtu > 0)
                r.message += QStringLiteral(" (the MTU is the ONU's own: this OLT neither sets "
                                            "nor shows it)");
            return;
        }
        if (now && now->user == old->user && now->password == old->password &&
            now->profile == old->profile)
            stop(Code::NeedsAcs,
                 QStringLiteral("ONU %1 kept its old WAN settings: it takes them from its ACS "
                                "(TR-069), not from the OLT")
                     .arg(name(o)));
        stop(Code::DeviceError,
             QStringLiteral("After the change the OLT shows WAN user \"%1\", VLAN %2 for ONU %3")
                 .arg(now ? now->user : QString(), QString::number(vlan), name(o)));
    });
}

Answer<VoipSettings> ZteDriver::voipGet(const OnuRef& ref) {
    return operation<Answer<VoipSettings>>([&](Answer<VoipSettings>& a) {
        const Onu o = reach(ref);
        requireOnline(o);
        const OnuConfig c = config(o.info.place);
        const QString port = QStringLiteral("pots_0/1");
        const auto lines = phoneLines(o);
        const auto line = std::find_if(lines.begin(), lines.end(),
                                       [&](const PhoneLine& l) { return l.port == port; });
        const auto sip = sipOf(c, port);
        if (line == lines.end() && !sip)
            stop(Code::Unsupported,
                 QStringLiteral("ONU %1 (%2) has no phone port").arg(name(o), o.info.type));
        a.value.line = 1;
        if (sip) {
            a.value.user = sip->user;
            a.value.password = sip->password;
        }
        a.value.vlan = voipVlan(c);
        a.value.registered = line != lines.end() && isRegistered(line->state);
        a.result.message =
            sip ? QStringLiteral("Phone line 1 of ONU %1: SIP profile %2 holds the domain")
                      .arg(name(o), sip->profile)
                : QStringLiteral("Phone line 1 of ONU %1 is not configured").arg(name(o));
    });
}

QList<PhoneLine> ZteDriver::phoneLines(const Onu& onu) {
    const QString command =
        QStringLiteral("show gpon remote-onu voip-linestatus ") + onuName(onu.info.place);
    return shown(command, send(command), parsePhoneLines).value_or(QList<PhoneLine>());
}

Result ZteDriver::voipSet(const OnuRef& ref, const VoipSettings& voip) {
    return operation<Result>([&](Result& r) {
        if (!isCliToken(voip.user))
            stop(Code::DeviceError, unsafe(QStringLiteral("SIP user")));
        if (!isCliToken(voip.password))
            stop(Code::DeviceError, unsafe(QStringLiteral("SIP password")));
        secret(voip.password);
        const Onu o = reach(ref);
        requireOnline(o);
        const QString port = QStringLiteral("pots_0/%1").arg(voip.line);
        const auto lines = phoneLines(o);
        if (voip.line < 1 || std::none_of(lines.begin(), lines.end(),
                                          [&](const PhoneLine& l) { return l.port == port; }))
            stop(Code::Unsupported, QStringLiteral("ONU %1 (%2) has no phone port %3")
                                        .arg(name(o), o.info.type, QString::number(voip.line)));
        const OnuConfig before = config(o.info.place);
        const auto old = sipOf(before, port);
        const QString profile =
            old ? old->profile : (before.sips.isEmpty() ? QString() : before.sips.first().profile);
        if (profile.isEmpty())
            stop(Code::DeviceError,
                 QStringLiteral("ONU %1 has no SIP profile: its phone service is set up when it "
                                "is provisioned")
                     .arg(name(o)));
        const int oldVlan = voipVlan(before);
        if (voip.vlan > 0 && oldVlan > 0 && voip.vlan != oldVlan)
            stop(Code::DeviceError,
                 QStringLiteral("ONU %1 has its phone service on VLAN %2; moving it to VLAN %3 is "
                                "provisioning on the OLT, not done here")
                     .arg(name(o), QString::number(oldVlan), QString::number(voip.vlan)));
        configure(o.info.place, {QStringLiteral("sip-service %1 profile %2 userid %3 username %3 "
                                                "password %4")
                                     .arg(port, profile, voip.user, voip.password)});
        const auto now = sipOf(config(o.info.place), port);
        if (now && now->user == voip.user && now->userId == voip.user &&
            now->password == voip.password) {
            r.message = QStringLiteral("Phone line %1 of ONU %2 set: user %3 (SIP profile %4)")
                            .arg(QString::number(voip.line), name(o), voip.user, profile);
            return;
        }
        if (old && now && now->user == old->user && now->password == old->password)
            stop(Code::NeedsAcs,
                 QStringLiteral("ONU %1 kept its old phone settings: it takes them from its ACS "
                                "(TR-069), not from the OLT")
                     .arg(name(o)));
        stop(Code::DeviceError,
             QStringLiteral("After the change the OLT shows SIP user \"%1\" on line %2 of ONU %3")
                 .arg(now ? now->user : QString(), QString::number(voip.line), name(o)));
    });
}

Answer<QList<WifiSettings>> ZteDriver::wifiGet(const OnuRef& ref) {
    return operation<Answer<QList<WifiSettings>>>([&](Answer<QList<WifiSettings>>& a) {
        const Onu o = reach(ref);
        requireOnline(o);
        const OnuConfig c = config(o.info.place);
        for (Band band : {Band::Ghz24, Band::Ghz5}) {
            for (auto it = c.ssidNames.begin(); it != c.ssidNames.end(); ++it) {
                if (bandOf(it.key()) == band) {
                    a.value.append({band, it.value(), c.ssidKeys.value(it.key())});
                    break;
                }
            }
        }
        a.result.message = QStringLiteral("Wi-Fi of ONU %1").arg(name(o));
    });
}

Result ZteDriver::wifiSet(const OnuRef& ref, const WifiSettings& wifi) {
    return operation<Result>([&](Result& r) {
        if (!isCliToken(wifi.ssid) || wifi.ssid.size() > 32)
            stop(Code::DeviceError,
                 unsafe(QStringLiteral("network name")) + QStringLiteral(" (1 to 32 characters)"));
        if (!isCliToken(wifi.key) || wifi.key.size() < 8 || wifi.key.size() > 63)
            stop(Code::DeviceError,
                 unsafe(QStringLiteral("Wi-Fi key")) + QStringLiteral(" (8 to 63 characters)"));
        secret(wifi.key);
        const Onu o = reach(ref);
        requireOnline(o);
        const OnuConfig before = config(o.info.place);
        const QString radio = radioFor(wifi.band, before);
        ask(QStringLiteral("configure terminal"));
        ask(QStringLiteral("pon-onu-mng ") + onuName(o.info.place));
        ask(QStringLiteral("ssid ctrl %1 name %2").arg(radio, wifi.ssid));
        // Some firmware takes the key alone, without the algorithm.
        const QString full =
            QStringLiteral("ssid auth wpa %1 wpa2-psk encrypt aes key %2").arg(radio, wifi.key);
        const QString text = send(full);
        if (judge(text).refusal == Refusal::UnknownCommand)
            ask(QStringLiteral("ssid auth wpa %1 key %2").arg(radio, wifi.key));
        else
            refuseOn(full, text);
        ask(QStringLiteral("end"));
        const OnuConfig after = config(o.info.place);
        const QString nameNow = after.ssidNames.value(radio), keyNow = after.ssidKeys.value(radio);
        if (nameNow == wifi.ssid && keyNow == wifi.key) {
            r.message = QStringLiteral("%1 Wi-Fi of ONU %2 set: %3")
                            .arg(bandName(wifi.band), name(o), wifi.ssid);
            return;
        }
        if (nameNow == before.ssidNames.value(radio) && keyNow == before.ssidKeys.value(radio))
            stop(Code::NeedsAcs,
                 QStringLiteral("ONU %1 kept its old Wi-Fi settings: it takes them from its ACS "
                                "(TR-069), not from the OLT")
                     .arg(name(o)));
        stop(Code::DeviceError,
             QStringLiteral("After the change the OLT shows network name \"%1\" on %2 of ONU %3")
                 .arg(nameNow, radio, name(o)));
    });
}

Result ZteDriver::changeOnu(const OnuRef& ref, const QString& command, const QString& done) {
    return operation<Result>([&](Result& r) {
        const Onu o = reach(ref);
        requireOnline(o);
        configure(o.info.place, {command}, Confirm::Yes);
        r.message = done.arg(name(o));
    });
}

Result ZteDriver::reboot(const OnuRef& ref) {
    return changeOnu(ref, QStringLiteral("reboot"), QStringLiteral("ONU %1 is rebooting"));
}

Result ZteDriver::factoryReset(const OnuRef& ref) {
    return changeOnu(ref, QStringLiteral("restore factory"),
                     QStringLiteral("ONU %1 is back to its factory settings and is restarting"));
}

// The ONU's latest session, when it ended and it has not come back.
std::optional<QDateTime> ZteDriver::downFor(const DetailInfo& info) {
    if (info.phase == QLatin1String("working"))
        return std::nullopt;
    const auto latest = latestSession(info);
    if (!latest || !latest->offline.isValid())
        return std::nullopt; // down time unknown: it may have been up a moment ago
    return downSince(latest->offline);
}

Answer<QList<OnuSummary>> ZteDriver::offlineList(const QString& oltIp,
                                                 const QDateTime& downBefore) {
    return operation<Answer<QList<OnuSummary>>>([&](Answer<QList<OnuSummary>>& a) {
        for (const StateRow& row : states(QStringLiteral("show gpon onu state"))) {
            if (row.phase == QLatin1String("working"))
                continue;
            const auto info = detail(row.place);
            const auto since = info ? downFor(*info) : std::nullopt;
            if (!since || *since > downBefore)
                continue;
            learnSerial(row.place, info->serial);
            OnuSummary s = summary(row.place, stateOfPhase(info->phase));
            s.serial = info->serial;
            s.downSince = *since;
            s.downCause = causeText(latestSession(*info)->cause);
            if (const auto wan = firstWan(config(row.place))) {
                s.wanUser = wan->user;
            }
            a.value.append(s);
        }
        a.result.message =
            QStringLiteral("%1 offline ONU(s) on %2").arg(QString::number(a.value.size()), oltIp);
    });
}

Result ZteDriver::onuDelete(const OnuRef& ref, const QDateTime& downBefore) {
    return operation<Result>([&](Result& r) {
        const Onu o = reach(ref); // reads the ONU's state right before the removal
        const auto since = downFor(o.info);
        if (!since || *since > downBefore)
            stop(Code::DeviceError,
                 QStringLiteral("ONU %1 is no longer offline long enough; it was kept")
                     .arg(name(o)));
        const OnuPlace& place = o.info.place;
        ask(QStringLiteral("configure terminal"));
        ask(QStringLiteral("interface ") + portName(place.port));
        ask(QStringLiteral("no onu %1").arg(place.onuId), Confirm::Yes);
        ask(QStringLiteral("end"));
        const QString check = QStringLiteral("show gpon onu state %1 %2")
                                  .arg(portName(place.port), QString::number(place.onuId));
        const auto rows = shown(check, send(check), parseOnuStates).value_or(QList<StateRow>());
        if (std::any_of(rows.begin(), rows.end(),
                        [&](const StateRow& s) { return s.place == place; }))
            stop(Code::DeviceError,
                 QStringLiteral("The OLT still lists ONU %1 after \"no onu\"").arg(name(o)));
        m_index.forgetOnu(place.port, place.onuId);
        r.message = QStringLiteral("ONU %1 (serial %2) removed from %3")
                        .arg(name(o), o.info.serial, ref.oltIp);
    });
}

Answer<TrafficSample> ZteDriver::traffic(const OnuRef& ref) {
    return operation<Answer<TrafficSample>>([&](Answer<TrafficSample>& a) {
        const Onu o = reach(ref);
        requireOnline(o);
        const QString command = QStringLiteral("show interface ") + onuName(o.info.place);
        const Counters c = *shown(command, ask(command), parseCounters);
        // Input is what the subscriber sends: the ONU's upstream.
        a.value = {c.outBytes, c.inBytes, QDateTime::currentDateTime()};
        a.result.message = QStringLiteral("Traffic of ONU %1").arg(name(o));
    });
}

Answer<QList<OnuSummary>> ZteDriver::onusByVlan(const QString& oltIp, int vlan) {
    return operation<Answer<QList<OnuSummary>>>([&](Answer<QList<OnuSummary>>& a) {
        const QString command = QStringLiteral("show vlan %1").arg(vlan);
        const auto members =
            shown(command, send(command), parseVlanMembers).value_or(QList<OnuPlace>());
        if (!members.isEmpty()) {
            const QString macs = QStringLiteral("show mac vlan %1").arg(vlan);
            for (const MacRow& row :
                 shown(macs, send(macs), parseMacTable).value_or(QList<MacRow>())) {
                if (row.onu && members.contains(*row.onu))
                    learn(*row.onu, row.macDigits);
            }
            const auto phase = phases();
            for (const OnuPlace& place : members) {
                OnuSummary s = summary(place, stateOfPhase(phase.value(placeText(place))));
                s.wanVlan = vlan;
                a.value.append(s);
            }
        }
        a.result.message = QStringLiteral("%1 ONU(s) on VLAN %2 of %3")
                               .arg(QString::number(a.value.size()), QString::number(vlan), oltIp);
    });
}

Answer<QList<OnuSummary>> ZteDriver::findOnu(const QString& oltIp, const QString& key, int limit) {
    return operation<Answer<QList<OnuSummary>>>([&](Answer<QList<OnuSummary>>& a) {
        const QString k = key.trimmed();
        const QString digits = macDigits(k);
        const bool separated = k.contains(QLatin1Char(':')) || k.contains(QLatin1Char('-')) ||
                               k.contains(QLatin1Char('.'));
        if (digits.size() == 12) {
            try {
                const Onu o = reach({oltIp, k});
                OnuSummary s = summary(o.info.place, stateOfPhase(o.info.phase));
                s.mac = formatMac(o.mac);
                s.serial = o.info.serial;
                a.value.append(s);
            } catch (const Stop& s) {
                if (s.code != Code::NotFound)
                    throw;
            }
        } else if (separated && !digits.isEmpty() && digits.size() % 2 == 0) {
            a.value = macMatches(digits, limit);
        } else if (!separated && isCliToken(k)) {
            a.value = serialMatches(k.toUpper(), limit);
        } else {
            stop(Code::NotFound,
                 QStringLiteral("\"%1\" is neither MAC octets nor part of a serial number")
                     .arg(key));
        }
        if (a.value.isEmpty())
            stop(Code::NotFound, QStringLiteral("No ONU matches %1 on %2").arg(key, oltIp));
        a.result.message =
            QStringLiteral("%1 ONU(s) match %2").arg(QString::number(a.value.size()), key);
    });
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
