#include "oltd/drivers/huawei/huawei_driver.h"

#include "oltd/mac.h"

#include <QRegularExpression>
#include <algorithm>
#include <tuple>

namespace oltd {

using namespace huawei;

namespace {

// Secrets the device prints back (current-configuration) or that a command
// carries; line.mask() hides those the driver sends, this the rest.
QString scrubbed(QString text) {
    static const QRegularExpression secret(QStringLiteral("\\b(password|wpa-key|key)(\\s+)(\\S+)"));
    return text.replace(secret, QStringLiteral("\\1\\2********"));
}

Result& resultOf(Result& r) {
    return r;
}
template <class T> Result& resultOf(Answer<T>& a) {
    return a.result;
}

QString portOf(const Fsp& fsp, int ontId) {
    return fsp.text() + QLatin1Char(':') + QString::number(ontId);
}

QString stateOf(const QString& runState, const QString& downCause) {
    if (runState == QLatin1String("online"))
        return QStringLiteral("ONLINE");
    return downCause.startsWith(QLatin1String("LOS"), Qt::CaseInsensitive)
               ? QStringLiteral("LOS")
               : QStringLiteral("OFFLINE");
}

// The command line splits words at blanks and has no quoting we can rely
// on: a value with a blank or a quote would become other words.
bool plainWord(const QString& value) {
    static const QRegularExpression bad(QStringLiteral("[\\s\"'?]"));
    return !value.isEmpty() && !bad.match(value).hasMatch();
}

constexpr std::chrono::minutes kWanScanPause{10};

const QString kNotSaved = QStringLiteral("; not yet saved to the OLT's startup configuration");

} // namespace

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

// --- finding the ONT ----------------------------------------------------

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

std::optional<HuaweiDriver::Ont> HuaweiDriver::resolve(const OnuRef& ref, Need need, Result& r) {
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
    if (!enterBoard(ont.info.fsp, r))
        return std::nullopt;
    const QString command =
        QStringLiteral("display ont wan-info %1 %2").arg(ont.info.fsp.port).arg(ont.info.ontId);
    const auto text = exec(command, r);
    if (!text)
        return std::nullopt;
    const auto wans = parseWanInfo(*text);
    if (!wans) {
        notUnderstood(command, *text, r);
        return std::nullopt;
    }
    for (const WanInfo& w : *wans) {
        if (!w.mac.isEmpty())
            remember(ont.info.fsp, ont.info.ontId, ont.info.serial, w.mac);
    }
    for (const WanInfo& w : *wans)
        if (w.serviceType.compare(QLatin1String("Internet"), Qt::CaseInsensitive) == 0)
            return w;
    return WanInfo{};
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
            if (!enterBoard(ont.info.fsp, r))
                return;
            const QString command = QStringLiteral("display ont wlan-info %1 %2")
                                        .arg(ont.info.fsp.port)
                                        .arg(ont.info.ontId);
            const auto text = exec(command, r);
            if (!text)
                return;
            const auto ssids = parseWlanInfo(*text);
            if (!ssids)
                return notUnderstood(command, *text, r);
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
                     .arg(formatMac(ont.mac)),
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
                          .arg(formatMac(ont.mac), portOf(i.fsp, i.ontId), ref.oltIp, kNotSaved);
    });
}

Answer<TrafficSample> HuaweiDriver::traffic(const OnuRef& ref) {
    return withOnu<Answer<TrafficSample>>(
        ref, Need::Online, [&](const Ont& ont, Answer<TrafficSample>& a, Result& r) {
            if (!enterBoard(ont.info.fsp, r))
                return;
            const QString command = QStringLiteral("display statistics ont-eth %1 %2 ont-port 1")
                                        .arg(ont.info.fsp.port)
                                        .arg(ont.info.ontId);
            const auto text = exec(command, r);
            if (!text)
                return;
            const auto counters = parseCounters(*text);
            if (!counters)
                return notUnderstood(command, *text, r);
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
