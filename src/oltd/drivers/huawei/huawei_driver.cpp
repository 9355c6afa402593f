#include "oltd/drivers/huawei/huawei_driver.h"

#include "oltd/drivers/huawei/huawei_common.h"

#include "oltd/mac.h"

#include <QRegularExpression>
#include <algorithm>
#include <tuple>

namespace oltd {

using namespace huawei;

HuaweiDriver::HuaweiDriver(CommandLine& line, OnuIndex& index, DeviceOptions options)
    : m_line(line)
    , m_index(index)
    , m_options(std::move(options)) {}

// --- the command line ---------------------------------------------------

std::optional<QString> HuaweiDriver::exec(const QString& command, Result& r, Confirm confirm) {
    const CommandReply reply = send(command, confirm);
    if (!reply.ok()) {
        r.code = reply.code;
        r.message = scrubbed(reply.message);
        return std::nullopt;
    }
    if (const auto f = deviceFailure(reply.text)) {
        r.code = f->code;
        r.message = scrubbed(QStringLiteral("%1: %2").arg(command, f->text));
        return std::nullopt;
    }
    return reply.text;
}

void HuaweiDriver::notUnderstood(const QString& command, const QString& answer, Result& r) {
    QStringList shown;
    for (const QString& l : answer.split(QLatin1Char('\n')))
        if (!l.trimmed().isEmpty() && shown.size() < 3)
            shown << l.trimmed();
    r.code = Code::DeviceError;
    r.message = scrubbed(QStringLiteral("The OLT's answer to \"%1\" was not understood: %2")
                             .arg(command, shown.join(QLatin1String(" / ")).left(240)));
}

bool HuaweiDriver::enterConfig(Result& r) {
    if (m_line.prompt().contains(QLatin1String("(config")))
        return true;
    return exec(QStringLiteral("config"), r).has_value();
}

// The whole-OLT forms of the display commands belong to privileged mode;
// in a board's mode the same words take the board's port and ONT ids.
bool HuaweiDriver::leaveConfig(Result& r) {
    if (!m_line.prompt().contains(QLatin1String("(config")))
        return true;
    return exec(QStringLiteral("return"), r).has_value();
}

bool HuaweiDriver::enterBoard(const Fsp& fsp, Result& r) {
    const QString board = QStringLiteral("(config-if-gpon-%1)").arg(fsp.board());
    if (m_line.prompt().contains(board))
        return true;
    if (!enterConfig(r))
        return false;
    const QString command = QStringLiteral("interface gpon ") + fsp.board();
    if (!exec(command, r))
        return false;
    if (!m_line.prompt().contains(board)) {
        notUnderstood(command, m_line.prompt(), r);
        return false;
    }
    return true;
}

CommandReply HuaweiDriver::send(const QString& command, Confirm confirm) {
    CommandReply reply = m_line.run(command, confirm);
    m_lineOpen = reply.ok();
    return reply;
}

void HuaweiDriver::settle(Result& r) {
    // After an error halfway through, the line may still sit in a
    // configuration mode; the next request expects privileged mode. A line
    // the session closed (timeout, dropped) opens in privileged mode again,
    // so it is not logged in anew just for this.
    if (m_lineOpen && m_line.prompt().contains(QLatin1String("(config"))) {
        const CommandReply back = send(QStringLiteral("return"));
        if (back.ok() && r.ok() && m_line.prompt().contains(QLatin1String("(config"))) {
            r.code = Code::DeviceError;
            r.message = QStringLiteral("The OLT stayed in configuration mode after \"return\"");
        }
    }
    for (const QString& l : m_line.takeTranscript())
        r.transcript << scrubbed(l);
}

template <class Out, class Body>
Out HuaweiDriver::withOnu(const OnuRef& ref, Need need, Body body) {
    Out out;
    Result& r = resultOf(out);
    if (const auto ont = resolve(ref, need, r))
        body(*ont, out, r);
    settle(r);
    return out;
}

// --- operations ---------------------------------------------------------

Answer<Capabilities> HuaweiDriver::capabilities(const OnuRef& ref) {
    return withOnu<Answer<Capabilities>>(
        ref, Need::Registered, [&](const Ont& ont, Answer<Capabilities>& a, Result& r) {
            const bool omci = !ont.info.tr069;
            a.value = {omci, omci, omci, ont.info.tr069};
            r.message = QStringLiteral("Capabilities of %1").arg(formatMac(ont.mac));
        });
}

Answer<OnuStatus> HuaweiDriver::onuStatus(const OnuRef& ref) {
    return withOnu<Answer<OnuStatus>>(
        ref, Need::Registered, [&](const Ont& ont, Answer<OnuStatus>& a, Result& r) {
            const OntInfo& i = ont.info;
            OnuStatus& s = a.value;
            s.mac = formatMac(ont.mac);
            s.port = portOf(i.fsp, i.ontId);
            s.state = stateOf(i.runState, i.lastDownCause);
            s.lastDownCause = i.lastDownCause;
            s.distanceMetres = i.distance;
            s.uptimeSeconds = i.uptimeSeconds;
            s.serial = i.serial;
            // The model shows only in the port's summary.
            const QString summary = QStringLiteral("display ont info summary ") + i.fsp.text();
            const auto text = exec(summary, r);
            if (!text)
                return;
            const auto port = parseSummary(*text, m_options.timeZone);
            if (!port)
                return notUnderstood(summary, *text, r);
            for (const SummaryRow& row : port->onts)
                if (row.ontId == i.ontId)
                    s.model = row.type;
            if (s.state == QLatin1String("ONLINE")) {
                if (!enterBoard(i.fsp, r))
                    return;
                const QString optical =
                    QStringLiteral("display ont optical-info %1 %2").arg(i.fsp.port).arg(i.ontId);
                const auto answer = exec(optical, r);
                if (!answer)
                    return;
                const auto optics = parseOptics(*answer);
                if (!optics)
                    return notUnderstood(optical, *answer, r);
                s.rxPowerDbm = optics->rx;
                s.txPowerDbm = optics->tx;
                s.oltRxPowerDbm = optics->oltRx;
            }
            r.message = QStringLiteral("ONU %1 is %2").arg(s.mac, s.state);
        });
}

Answer<WanSettings> HuaweiDriver::wanGet(const OnuRef& ref) {
    return withOnu<Answer<WanSettings>>(
        ref, Need::Online, [&](const Ont& ont, Answer<WanSettings>& a, Result& r) {
            const auto wan = internetWan(ont, r);
            if (!wan)
                return;
            if (wan->index == 0) {
                if (ont.info.tr069)
                    r = {Code::NeedsAcs,
                         QStringLiteral("ONU %1 is managed through TR-069: its WAN is the ACS's")
                             .arg(formatMac(ont.mac)),
                         {}};
                else
                    r.message =
                        QStringLiteral("ONU %1 shows no Internet WAN").arg(formatMac(ont.mac));
                return;
            }
            WanSettings& w = a.value;
            w.vlan = wan->vlan;
            if (wan->connectionType.contains(QLatin1String("bridged"), Qt::CaseInsensitive))
                w.mode = QStringLiteral("BRIDGE");
            else
                w.mode = wan->accessType.toUpper();
            if (w.mode == QLatin1String("PPPOE")) {
                // The PPPoE account shows only in the configuration.
                const auto config = ontConfig(ont, r);
                if (!config)
                    return;
                w.user = config->wanUser;
                w.password = config->wanPassword;
            }
            r.message = QStringLiteral("WAN of %1").arg(formatMac(ont.mac));
        });
}

Result HuaweiDriver::wanSet(const OnuRef& ref, const WanSettings& wan) {
    const QString mode = wan.mode.isEmpty() ? QStringLiteral("PPPOE") : wan.mode.toUpper();
    QString problem;
    if (mode != QLatin1String("PPPOE") && mode != QLatin1String("DHCP"))
        problem = QStringLiteral("The WAN mode must be PPPOE or DHCP");
    else if (mode == QLatin1String("PPPOE") && (!plainWord(wan.user) || !plainWord(wan.password)))
        problem = QStringLiteral("The PPPoE user name and password must be given, without blanks "
                                 "or quotes");
    else if (wan.vlan < 1 || wan.vlan > 4094)
        problem = QStringLiteral("The VLAN must be 1 to 4094");
    if (!problem.isEmpty())
        return {Code::DeviceError, problem, {}};
    return withOnu<Result>(ref, Need::Omci, [&](const Ont& ont, Result& out, Result& r) {
        const OntInfo& i = ont.info;
        // The VLAN reaches the network only through a service port for it;
        // adding one is provisioning, not a WAN setting.
        const QString ports =
            QStringLiteral("display service-port port %1 ont %2").arg(i.fsp.text()).arg(i.ontId);
        const auto rows = servicePorts(ports, r);
        if (!rows)
            return;
        if (std::none_of(rows->cbegin(), rows->cend(), [&](const ServicePort& sp) {
                return sp.flowPara == wan.vlan || (sp.flowPara == 0 && sp.vlan == wan.vlan);
            })) {
            r = {Code::DeviceError,
                 QStringLiteral("ONU %1 has no service port for VLAN %2: that is provisioning, "
                                "not a WAN setting")
                     .arg(formatMac(ont.mac))
                     .arg(wan.vlan),
                 {}};
            return;
        }
        if (!enterBoard(i.fsp, r))
            return;
        QString set = QStringLiteral("ont ipconfig %1 %2 ip-index 0 ").arg(i.fsp.port).arg(i.ontId);
        if (mode == QLatin1String("PPPOE")) {
            m_line.mask(wan.password);
            set += QStringLiteral("pppoe vlan %1 priority 0 user-account username %2 password %3")
                       .arg(QString::number(wan.vlan), wan.user, wan.password);
        } else {
            set += QStringLiteral("dhcp vlan %1 priority 0").arg(wan.vlan);
        }
        if (!exec(set, r) ||
            !exec(
                QStringLiteral("ont internet-config %1 %2 ip-index 0").arg(i.fsp.port).arg(i.ontId),
                r))
            return;
        // What the ONT shows now decides, not what was sent.
        const auto shown = internetWan(ont, r);
        if (!shown)
            return;
        std::optional<OntConfig> config;
        if (mode == QLatin1String("PPPOE") && !(config = ontConfig(ont, r)))
            return;
        QStringList wrong;
        if (shown->vlan != wan.vlan)
            wrong << QStringLiteral("VLAN %1").arg(shown->vlan);
        if (shown->accessType.toUpper() != mode)
            wrong << QStringLiteral("access type \"%1\"").arg(shown->accessType);
        if (config && config->wanUser != wan.user)
            wrong << QStringLiteral("user \"%1\"").arg(config->wanUser);
        if (config && config->wanPassword != wan.password)
            wrong << QStringLiteral("another password");
        if (!wrong.isEmpty()) {
            r = {Code::DeviceError,
                 QStringLiteral("The WAN of ONU %1 was not taken: it shows %2")
                     .arg(formatMac(ont.mac), wrong.join(QLatin1String(", "))),
                 {}};
            return;
        }
        out.message = QStringLiteral("WAN of %1 configured (%2, VLAN %3)%4")
                          .arg(formatMac(ont.mac), mode, QString::number(wan.vlan), kNotSaved);
        if (wan.mtu != 0)
            out.message += QStringLiteral("; the MTU is not set through this OLT");
    });
}

Answer<VoipSettings> HuaweiDriver::voipGet(const OnuRef& ref) {
    return withOnu<Answer<VoipSettings>>(
        ref, Need::Omci, [&](const Ont& ont, Answer<VoipSettings>& a, Result& r) {
            const auto config = ontConfig(ont, r);
            if (!config)
                return;
            a.value.line = 1;
            a.value.user = config->sipUser;
            a.value.password = config->sipPassword;
            a.value.registered = false;
            r.message = QStringLiteral("Phone line 1 of %1; registration status not available "
                                       "on CLI")
                            .arg(formatMac(ont.mac));
        });
}

Result HuaweiDriver::voipSet(const OnuRef& ref, const VoipSettings& voip) {
    if (voip.line != 1)
        return {Code::Unsupported, QStringLiteral("Only phone line 1 is set through this OLT"), {}};
    if (!plainWord(voip.user) || !plainWord(voip.password))
        return {Code::DeviceError,
                QStringLiteral("The SIP user and password must be given, without blanks or "
                               "quotes"),
                {}};
    return withOnu<Result>(ref, Need::Omci, [&](const Ont& ont, Result& out, Result& r) {
        const OntInfo& i = ont.info;
        const auto before = ontConfig(ont, r);
        if (!before)
            return;
        // The SIP server and VLAN come from the SIP agent profile of the
        // phone port; binding one is provisioning.
        if (before->sipProfile < 0) {
            r = {Code::DeviceError,
                 QStringLiteral("Phone port 1 of ONU %1 has no SIP agent profile: that is "
                                "provisioning")
                     .arg(formatMac(ont.mac)),
                 {}};
            return;
        }
        if (!enterBoard(i.fsp, r))
            return;
        const QString at = QStringLiteral("%1 %2 1").arg(i.fsp.port).arg(i.ontId);
        if (!before->sipUser.isEmpty() && !exec(QStringLiteral("undo sippstnuser ") + at, r))
            return;
        m_line.mask(voip.password);
        if (!exec(QStringLiteral("sippstnuser add %1 mgid 1 username %2 password %3 telno %2")
                      .arg(at, voip.user, voip.password),
                  r)) {
            if (!before->sipUser.isEmpty())
                r.message += QStringLiteral(" (the previous SIP user was removed)");
            return;
        }
        const auto after = ontConfig(ont, r);
        if (!after)
            return;
        if (after->sipUser != voip.user || after->sipPassword != voip.password) {
            r = {Code::DeviceError,
                 QStringLiteral("Phone line 1 of ONU %1 was not taken: it shows user \"%2\"")
                     .arg(formatMac(ont.mac), after->sipUser),
                 {}};
            return;
        }
        out.message =
            QStringLiteral("Phone line 1 of %1 configured (user %2; SIP server and "
                           "VLAN from SIP agent profile %3)%4")
                .arg(formatMac(ont.mac), voip.user, QString::number(before->sipProfile), kNotSaved);
    });
}

Answer<QList<WifiSettings>> HuaweiDriver::wifiGet(const OnuRef& ref) {
    return withOnu<Answer<QList<WifiSettings>>>(
        ref, Need::Online, [&](const Ont& ont, Answer<QList<WifiSettings>>& a, Result& r) {
            const auto ssids = boardRead(ont, "display ont wlan-info %1 %2", parseWlanInfo, r);
            if (!ssids)
                return;
            if (ssids->isEmpty() && ont.info.tr069) {
                r = {Code::NeedsAcs,
                     QStringLiteral("ONU %1 is managed through TR-069: its Wi-Fi is the ACS's")
                         .arg(formatMac(ont.mac)),
                     {}};
                return;
            }
            // The OLT does not show the keys.
            for (const Ssid& s : *ssids)
                a.value.append({s.band, s.name, QString()});
            r.message = QStringLiteral("Wi-Fi of %1").arg(formatMac(ont.mac));
        });
}

Result HuaweiDriver::wifiSet(const OnuRef& ref, const WifiSettings& wifi) {
    if (!plainWord(wifi.ssid) || wifi.ssid.size() > 32)
        return {Code::DeviceError,
                QStringLiteral("The network name must be 1 to 32 characters without blanks or "
                               "quotes"),
                {}};
    if (!plainWord(wifi.key) || wifi.key.size() < 8 || wifi.key.size() > 63)
        return {Code::DeviceError,
                QStringLiteral("The Wi-Fi key must be 8 to 63 characters without blanks or quotes"),
                {}};
    return withOnu<Result>(ref, Need::Omci, [&](const Ont& ont, Result& out, Result& r) {
        const OntInfo& i = ont.info;
        if (!enterBoard(i.fsp, r))
            return;
        const int index = wifi.band == Band::Ghz5 ? 5 : 1;
        m_line.mask(wifi.key);
        const QString set = QStringLiteral("ont wlan-config %1 %2 ssid-index %3 ssid %4 wpa-key %5")
                                .arg(QString::number(i.fsp.port), QString::number(i.ontId),
                                     QString::number(index), wifi.ssid, wifi.key);
        if (!exec(set, r)) {
            if (r.code == Code::Unsupported)
                r.message = QStringLiteral("This OLT cannot set Wi-Fi (it has no \"ont "
                                           "wlan-config\"): set it from the ACS. %1")
                                .arg(r.message);
            return;
        }
        const QString show =
            QStringLiteral("display ont wlan-info %1 %2").arg(i.fsp.port).arg(i.ontId);
        const auto text = exec(show, r);
        if (!text)
            return;
        const auto ssids = parseWlanInfo(*text);
        if (!ssids)
            return notUnderstood(show, *text, r);
        const auto it = std::find_if(ssids->cbegin(), ssids->cend(),
                                     [&](const Ssid& s) { return s.index == index; });
        if (it == ssids->cend() || it->name != wifi.ssid) {
            r = {Code::DeviceError,
                 QStringLiteral("The %1 Wi-Fi of ONU %2 was not taken: it shows \"%3\"")
                     .arg(bandName(wifi.band), formatMac(ont.mac),
                          it == ssids->cend() ? QString() : it->name),
                 {}};
            return;
        }
        out.message = QStringLiteral("%1 Wi-Fi of %2 configured%3")
                          .arg(bandName(wifi.band), formatMac(ont.mac), kNotSaved);
    });
}

Result HuaweiDriver::reboot(const OnuRef& ref) {
    return withOnu<Result>(ref, Need::Online, [&](const Ont& ont, Result& out, Result& r) {
        if (!enterBoard(ont.info.fsp, r) ||
            !exec(QStringLiteral("ont reset %1 %2").arg(ont.info.fsp.port).arg(ont.info.ontId), r,
                  Confirm::Yes))
            return;
        out.message = QStringLiteral("ONU %1 is rebooting").arg(formatMac(ont.mac));
    });
}

Result HuaweiDriver::factoryReset(const OnuRef& ref) {
    return withOnu<Result>(ref, Need::Online, [&](const Ont& ont, Result& out, Result& r) {
        if (!enterBoard(ont.info.fsp, r) ||
            !exec(QStringLiteral("ont factory-setting-restore %1 %2")
                      .arg(ont.info.fsp.port)
                      .arg(ont.info.ontId),
                  r, Confirm::Yes))
            return;
        out.message = QStringLiteral("ONU %1 is back to its factory settings and is restarting")
                          .arg(formatMac(ont.mac));
    });
}

Answer<QList<OnuSummary>> HuaweiDriver::offlineList(const QString& oltIp,
                                                    const QDateTime& downBefore) {
    Answer<QList<OnuSummary>> a;
    Result& r = a.result;
    // The summary's times are the OLT clock's: an ONT's age is the OLT's
    // now minus its down time, whatever the two clocks say.
    const qint64 skew = clockSkew(r);
    const auto ports = r.ok() ? summaries(r) : std::nullopt;
    if (ports) {
        for (const PortSummary& port : *ports)
            for (const SummaryRow& row : port.onts) {
                if (row.runState != QLatin1String("offline") || !row.lastDownTime.isValid())
                    continue;
                OnuSummary s = summaryOf(port.fsp, row);
                s.downSince = row.lastDownTime.addSecs(-skew);
                if (s.downSince <= downBefore)
                    a.value.append(s);
            }
        r.message =
            QStringLiteral("%1 offline ONU(s) on %2").arg(QString::number(a.value.size()), oltIp);
    }
    settle(r);
    return a;
}

Result HuaweiDriver::onuDelete(const OnuRef& ref, const QDateTime& downBefore) {
    return withOnu<Result>(ref, Need::Registered, [&](const Ont& ont, Result& out, Result& r) {
        const OntInfo& i = ont.info;
        const qint64 skew = clockSkew(r);
        if (!r.ok())
            return;
        // Only while it is still down since downBefore: one back online
        // since the list was read stays.
        if (i.runState != QLatin1String("offline") || !i.lastDownTime.isValid() ||
            i.lastDownTime.addSecs(-skew) > downBefore) {
            r = {Code::DeviceError,
                 QStringLiteral("ONU %1 is no longer offline long enough; it was kept")
                     .arg(nameOf(ont)),
                 {}};
            return;
        }
        if (!enterConfig(r))
            return;
        const QString undo =
            QStringLiteral("undo service-port port %1 ont %2").arg(i.fsp.text()).arg(i.ontId);
        Result failure;
        if (!exec(undo, failure, Confirm::Yes) &&
            !failure.message.contains(QLatin1String("No service virtual port"))) {
            r = failure;
            return;
        }
        if (!enterBoard(i.fsp, r))
            return;
        const QString del = QStringLiteral("ont delete %1 %2").arg(i.fsp.port).arg(i.ontId);
        const auto text = exec(del, r);
        if (!text)
            return;
        if (!ontDeleted(*text)) {
            r = {Code::DeviceError,
                 QStringLiteral("%1: %2").arg(del, text->simplified().left(240)),
                 {}};
            return;
        }
        m_index.forgetOnu(i.fsp.text(), i.ontId);
        out.message = QStringLiteral("ONU %1 (%2) removed from %3%4")
                          .arg(nameOf(ont), portOf(i.fsp, i.ontId), ref.oltIp, kNotSaved);
    });
}

Answer<TrafficSample> HuaweiDriver::traffic(const OnuRef& ref) {
    return withOnu<Answer<TrafficSample>>(
        ref, Need::Online, [&](const Ont& ont, Answer<TrafficSample>& a, Result& r) {
            const auto counters =
                boardRead(ont, "display statistics ont-eth %1 %2 ont-port 1", parseCounters, r);
            if (!counters)
                return;
            // The ONT's Ethernet port receives what the subscriber sends
            // and sends what the subscriber receives.
            a.value = {counters->sent, counters->received, QDateTime::currentDateTime()};
            r.message = QStringLiteral("Traffic of %1").arg(formatMac(ont.mac));
        });
}

Answer<QList<OnuSummary>> HuaweiDriver::onusByVlan(const QString& oltIp, int vlan) {
    Answer<QList<OnuSummary>> a;
    Result& r = a.result;
    auto rows = servicePorts(QStringLiteral("display service-port vlan %1").arg(vlan), r);
    // The subscriber's VLAN may be the inner one of a service port on an
    // outer VLAN.
    if (rows && rows->isEmpty())
        rows = servicePorts(QStringLiteral("display service-port all"), r);
    if (rows) {
        QHash<QString, PortSummary> ports; // serials and states, read once a port
        for (const ServicePort& sp : *rows) {
            const QString where = portOf(sp.fsp, sp.ontId);
            if ((sp.vlan != vlan && sp.flowPara != vlan) ||
                std::any_of(a.value.cbegin(), a.value.cend(),
                            [&](const OnuSummary& o) { return o.port == where; }))
                continue;
            auto known = ports.constFind(sp.fsp.text());
            if (known == ports.cend()) {
                const QString command = QStringLiteral("display ont info summary ") + sp.fsp.text();
                const auto text = exec(command, r);
                if (!text)
                    break;
                const auto summary = parseSummary(*text, m_options.timeZone);
                if (!summary) {
                    notUnderstood(command, *text, r);
                    break;
                }
                known = ports.insert(sp.fsp.text(), *summary);
            }
            const PortSummary& port = *known;
            const auto row = std::find_if(port.onts.cbegin(), port.onts.cend(),
                                          [&](const SummaryRow& o) { return o.ontId == sp.ontId; });
            if (row == port.onts.cend())
                continue; // a service port left behind by a deleted ONT
            OnuSummary s = summaryOf(sp.fsp, *row);
            s.wanVlan = sp.flowPara ? sp.flowPara : sp.vlan;
            a.value.append(s);
        }
        if (r.ok())
            r.message = QStringLiteral("VLAN %1 on %2").arg(QString::number(vlan), oltIp);
    }
    if (!r.ok())
        a.value.clear();
    settle(r);
    return a;
}

} // namespace oltd
