#include "oltd/drivers/zte/zte_driver.h"

#include "oltd/drivers/zte/zte_common.h"

#include "oltd/mac.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstdlib>

namespace oltd {

using namespace zte;

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
    return QStringLiteral("%1 (%2)").arg(onu.mac.isEmpty() ? onu.info.serial : formatMac(onu.mac),
                                         placeText(onu.info.place));
}

void ZteDriver::requireOnline(const Onu& onu) {
    if (onu.info.phase != QLatin1String("working"))
        stop(Code::Offline,
             QStringLiteral("ONU %1 is offline (%2)").arg(name(onu), onu.info.phase));
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

} // namespace oltd
