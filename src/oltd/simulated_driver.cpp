#include "oltd/simulated_driver.h"

#include "oltd/mac.h"
#include "oltd/simulated_network.h"

#include "oltd/sqlite_statement.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QUuid>
#include <sys/stat.h>

namespace oltd {

struct SimulatedDriver::Onu {
    qint64 id = 0;
    QString oltIp, port, mac, serial, model, managedBy, state, downCause, answer;
    int onuNo = 0, voipLines = 0, distance = 0;
    qint64 onlineSince = 0, rxRate = 0, txRate = 0;
    double rx = 0, tx = 0, oltRx = 0;
    WanSettings wan;
    VoipSettings voip;
    WifiSettings wifi24, wifi5;
};

struct SimulatedDriver::Lookup {
    bool oltKnown = false;
    QString oltAnswer;
    std::shared_ptr<const Onu> onu; // shared: pages read it without a copy
};

namespace {

QString toldMessage(Code code) {
    switch (code) {
    case Code::NotFound:
        return QStringLiteral("The OLT does not know this ONU");
    case Code::Offline:
        return QStringLiteral("The ONU does not answer: it is offline");
    case Code::Unsupported:
        return QStringLiteral("The ONU model does not support this operation");
    case Code::NeedsAcs:
        return QStringLiteral(
            "The ONU is managed through TR-069: change it from the ACS, not through the OLT");
    case Code::Auth:
        return QStringLiteral("The OLT refused the management login");
    case Code::Timeout:
        return QStringLiteral("The OLT did not answer in time");
    case Code::Busy:
        return QStringLiteral("The OLT is busy with other requests: try again shortly");
    case Code::DeviceError:
    case Code::Ok:
        break;
    }
    return QStringLiteral("The OLT rejected the command");
}

Result fail(Code code, const QString& message, const Transcript& t) {
    return {code, message, t.lines()};
}

Result done(const QString& message, const Transcript& t) {
    return {Code::Ok, message, t.lines()};
}

bool validVlan(int vlan) {
    return vlan >= 1 && vlan <= 4094;
}

Result& failureOf(Result& r) {
    return r;
}
template <class T> Result& failureOf(Answer<T>& a) {
    return a.result;
}

// A fault of the network file itself is the device failing.
template <class F> auto guarded(F f) -> decltype(f()) {
    try {
        return f();
    } catch (const sim::SimError& e) {
        decltype(f()) out{};
        failureOf(out) = {Code::DeviceError, e.message(), {}};
        return out;
    }
}

const QString kOnuColumns = QStringLiteral(
    "n.id, n.olt_ip, n.port, n.onu_no, n.mac, n.serial, n.model, n.managed_by, n.voip_lines,"
    " n.state, n.down_cause, n.online_since, n.rx_power, n.tx_power, n.olt_rx_power,"
    " n.distance_m, n.rx_rate, n.tx_rate, n.wan_mode, n.wan_user, n.wan_password, n.wan_vlan,"
    " n.wan_mtu, n.voip_domain, n.voip_user, n.voip_password, n.voip_vlan, n.wifi24_ssid,"
    " n.wifi24_key, n.wifi5_ssid, n.wifi5_key, n.answer");

const QString kSummaryColumns = QStringLiteral(
    "SELECT mac, serial, port, onu_no, state, wan_user, wan_vlan, down_cause, down_since FROM onu");

// A missing file would otherwise open as an empty network and every page
// would answer "not found" without saying why.
const QString& existing(const QString& file) {
    if (!QFileInfo::exists(file))
        throw sim::SimError(
            QStringLiteral("the simulated network %1 does not exist (zelcrm-oltd init-sim "
                           "creates it)")
                .arg(file));
    const QString name = QUuid::createUuid().toString();
    sim::open(file, name).close(); // brings an older file's tables up to date
    QSqlDatabase::removeDatabase(name);
    return file;
}

} // namespace

SimulatedDriver::SimulatedDriver(const QString& file, const core::Clock& clock, int rebootSeconds)
    : m_db(std::make_unique<sim::SqliteFile>(existing(file)))
    , m_oltQuery(std::make_unique<sim::Statement>(
          *m_db, QStringLiteral("SELECT answer FROM olt WHERE ip=?")))
    , m_onuQuery(std::make_unique<sim::Statement>(
          *m_db, QStringLiteral("SELECT o.answer, %1 FROM olt o LEFT JOIN onu n"
                                " ON n.olt_ip=o.ip AND n.mac_rev=? WHERE o.ip=?")
                     .arg(kOnuColumns)))
    , m_file(QFile::encodeName(file))
    , m_walFile(QFile::encodeName(file + QStringLiteral("-wal")))
    , m_clock(clock)
    , m_rebootSeconds(rebootSeconds) {}

SimulatedDriver::~SimulatedDriver() = default;

qint64 SimulatedDriver::now() const {
    return m_clock.now().toSecsSinceEpoch();
}

template <class Out, class Body>
Out SimulatedDriver::withOnu(const OnuRef& ref, Need need, Body body) {
    return guarded([&] {
        Transcript t;
        Out out;
        const OnuPtr o = reach(ref, need, t, failureOf(out));
        if (!o)
            return out;
        return body(o, t, out);
    });
}

bool SimulatedDriver::reachOlt(const QString& oltIp, Transcript& t, Result& result) {
    t.add(QStringLiteral("connect %1").arg(oltIp));
    sim::Statement& q = m_oltQuery->run(oltIp.trimmed());
    if (!q.next()) {
        t.add(QStringLiteral("no route to %1").arg(oltIp));
        result = fail(Code::NotFound, QStringLiteral("No OLT answers at %1").arg(oltIp), t);
        return false;
    }
    const auto told = codeFromName(q.text(0)).value_or(Code::Ok);
    q.finish();
    if (told != Code::Ok) {
        result = fail(told, toldMessage(told), t);
        return false;
    }
    t.add(QStringLiteral("login admin password ********: ok"));
    return true;
}

SimulatedDriver::FileStamp SimulatedDriver::stamp() const {
    // Every commit lands in the write-ahead log first, so while the log is
    // there its size and time tell of any change.
    struct stat st {};
    if (::stat(m_walFile.constData(), &st) == 0 || ::stat(m_file.constData(), &st) == 0)
        return {qint64(st.st_ino), st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
    return {};
}

const SimulatedDriver::Lookup& SimulatedDriver::lookup(const QString& oltIp,
                                                       const QString& digits) {
    // Any change to the file, ours or another program's (sim-answer, a
    // trainer's edit), shows in its or its log's size and time.
    const FileStamp now = stamp();
    if (!(now == m_stamp) || m_cache.size() > 200000) {
        m_cache.clear();
        m_stamp = now;
    }
    const QString key = oltIp + QLatin1Char('|') + digits;
    if (const auto it = m_cache.constFind(key); it != m_cache.cend())
        return *it;
    Lookup found;
    sim::Statement& q = m_onuQuery->run(reversed(digits), oltIp);
    if (q.next()) {
        found.oltKnown = true;
        found.oltAnswer = q.text(0);
        if (!q.text(1).isNull()) {
            Onu o;
            int c = 1;
            o.id = q.integer(c++);
            o.oltIp = q.text(c++);
            o.port = q.text(c++);
            o.onuNo = int(q.integer(c++));
            o.mac = q.text(c++);
            o.serial = q.text(c++);
            o.model = q.text(c++);
            o.managedBy = q.text(c++);
            o.voipLines = int(q.integer(c++));
            o.state = q.text(c++);
            o.downCause = q.text(c++);
            o.onlineSince = q.integer(c++);
            o.rx = q.real(c++);
            o.tx = q.real(c++);
            o.oltRx = q.real(c++);
            o.distance = int(q.integer(c++));
            o.rxRate = q.integer(c++);
            o.txRate = q.integer(c++);
            o.wan.mode = q.text(c++);
            o.wan.user = q.text(c++);
            o.wan.password = q.text(c++);
            o.wan.vlan = int(q.integer(c++));
            o.wan.mtu = int(q.integer(c++));
            o.voip.sipDomain = q.text(c++);
            o.voip.user = q.text(c++);
            o.voip.password = q.text(c++);
            o.voip.vlan = int(q.integer(c++));
            o.voip.registered = !o.voip.sipDomain.isEmpty() && !o.voip.user.isEmpty() &&
                                !o.voip.password.isEmpty() && validVlan(o.voip.vlan);
            o.wifi24 = {Band::Ghz24, q.text(c), q.text(c + 1)};
            o.wifi5 = {Band::Ghz5, q.text(c + 2), q.text(c + 3)};
            o.answer = q.text(c + 4);
            found.onu = std::make_shared<const Onu>(std::move(o));
        }
        q.finish();
    }
    return *m_cache.insert(key, found);
}

std::shared_ptr<const SimulatedDriver::Onu> SimulatedDriver::reach(const OnuRef& ref, Need need,
                                                                   Transcript& t, Result& result) {
    // The OLT and the ONU come in one lookup; the OLT is judged first.
    const QString digits = macDigits(ref.mac.trimmed());
    const Lookup& found = lookup(ref.oltIp.trimmed(), digits);
    t.add(QLatin1String("connect ") + ref.oltIp);
    if (!found.oltKnown) {
        t.add(QLatin1String("no route to ") + ref.oltIp);
        result = fail(Code::NotFound, QLatin1String("No OLT answers at ") + ref.oltIp, t);
        return nullptr;
    }
    const auto oltTold = codeFromName(found.oltAnswer).value_or(Code::Ok);
    if (oltTold != Code::Ok) {
        result = fail(oltTold, toldMessage(oltTold), t);
        return nullptr;
    }
    t.add(QStringLiteral("login admin password ********: ok"));
    t.add(QLatin1String("show onu by-mac ") + ref.mac);
    if (digits.size() != 12) {
        result = fail(Code::NotFound,
                      QStringLiteral("\"%1\" is not a whole MAC address").arg(ref.mac), t);
        return nullptr;
    }
    if (!found.onu) {
        result = fail(
            Code::NotFound,
            QStringLiteral("No ONU with MAC %1 on OLT %2").arg(formatMac(digits), ref.oltIp), t);
        return nullptr;
    }
    const std::shared_ptr<const Onu> o = found.onu;
    t.add(QLatin1String("onu ") + o->port + QLatin1Char(':') + QString::number(o->onuNo) +
          QLatin1String(" serial ") + o->serial + QLatin1String(" model ") + o->model);

    const auto told = codeFromName(o->answer).value_or(Code::Ok);
    if (told != Code::Ok) {
        result = fail(told, toldMessage(told), t);
        return nullptr;
    }
    if (need == Need::Registered)
        return o;
    if (o->state != QLatin1String("ONLINE") || o->onlineSince > now()) {
        result =
            fail(Code::Offline,
                 QStringLiteral("ONU %1 is offline (%2)")
                     .arg(o->mac, o->state == QLatin1String("ONLINE") ? QStringLiteral("REBOOT")
                                                                      : o->downCause),
                 t);
        return nullptr;
    }
    if (need == Need::Omci && o->managedBy == QLatin1String("TR069")) {
        result = fail(Code::NeedsAcs, toldMessage(Code::NeedsAcs), t);
        return nullptr;
    }
    return o;
}

template <class... Values>
void SimulatedDriver::update(qint64 id, const QString& assignments, const Values&... values) {
    m_cache.clear();
    sim::Statement q(*m_db, QStringLiteral("UPDATE onu SET %1 WHERE id=?").arg(assignments));
    q.run(values..., id).next();
}

QList<OnuSummary> SimulatedDriver::summaries(const QString& condition, const QString& oltIp,
                                             const QStringList& values, int limit) {
    sim::Statement q(*m_db, kSummaryColumns + QStringLiteral(" WHERE olt_ip=? AND ") + condition +
                                QStringLiteral(" LIMIT ?"));
    q.restart();
    int i = 1;
    q.bind(i++, oltIp.trimmed());
    for (const QString& v : values)
        q.bind(i++, v);
    q.bind(i, limit);
    QList<OnuSummary> list;
    while (q.next()) {
        OnuSummary s;
        s.mac = q.text(0);
        s.serial = q.text(1);
        s.port = q.text(2) + QLatin1Char(':') + q.text(3);
        s.state = q.text(4);
        s.wanUser = q.text(5);
        s.wanVlan = int(q.integer(6));
        s.downCause = q.text(7);
        if (const qint64 down = q.integer(8); down > 0)
            s.downSince = QDateTime::fromSecsSinceEpoch(down);
        list.append(s);
    }
    return list;
}

Answer<Capabilities> SimulatedDriver::capabilities(const OnuRef& ref) {
    return withOnu<Answer<Capabilities>>(
        ref, Need::Registered, [&](const OnuPtr& o, Transcript& t, Answer<Capabilities>& a) {
            const bool omci = o->managedBy != QLatin1String("TR069");
            a.value = {true, omci, omci && o->voipLines > 0, !omci};
            a.result = done(QStringLiteral("Capabilities of %1").arg(o->mac), t);
            return a;
        });
}

Answer<OnuStatus> SimulatedDriver::onuStatus(const OnuRef& ref) {
    return withOnu<Answer<OnuStatus>>(
        ref, Need::Registered, [&](const OnuPtr& o, Transcript& t, Answer<OnuStatus>& a) {
            OnuStatus& s = a.value;
            s.mac = o->mac;
            s.port = o->port + QLatin1Char(':') + QString::number(o->onuNo);
            s.serial = o->serial;
            s.model = o->model;
            s.distanceMetres = o->distance;
            const qint64 at = now();
            const bool rebooting = o->state == QLatin1String("ONLINE") && o->onlineSince > at;
            if (o->state == QLatin1String("ONLINE") && !rebooting) {
                s.state = QStringLiteral("ONLINE");
                s.lastDownCause = o->downCause;
                s.rxPowerDbm = o->rx;
                s.txPowerDbm = o->tx;
                s.oltRxPowerDbm = o->oltRx;
                s.uptimeSeconds = at - o->onlineSince;
            } else {
                s.state = QStringLiteral("OFFLINE");
                s.lastDownCause = rebooting ? QStringLiteral("REBOOT") : o->downCause;
            }
            t.add(QStringLiteral("state ") + s.state);
            a.result = done(QStringLiteral("ONU %1 is %2").arg(o->mac, s.state), t);
            return a;
        });
}

Answer<WanSettings> SimulatedDriver::wanGet(const OnuRef& ref) {
    return withOnu<Answer<WanSettings>>(
        ref, Need::Online, [&](const OnuPtr& o, Transcript& t, Answer<WanSettings>& a) {
            a.value = o->wan;
            t.add(QStringLiteral("show wan: mode %1 user %2 password %3 vlan %4 mtu %5")
                      .arg(o->wan.mode, o->wan.user, o->wan.password, QString::number(o->wan.vlan),
                           QString::number(o->wan.mtu)),
                  {o->wan.password});
            a.result = done(QStringLiteral("WAN of %1").arg(o->mac), t);
            return a;
        });
}

Result SimulatedDriver::wanSet(const OnuRef& ref, const WanSettings& wan) {
    return withOnu<Result>(ref, Need::Online, [&](const OnuPtr& o, Transcript& t, Result&) {
        t.add(QStringLiteral("wan-ip 1 mode pppoe username %1 password %2 vlan %3 mtu %4")
                  .arg(wan.user, wan.password, QString::number(wan.vlan), QString::number(wan.mtu)),
              {wan.password});
        if (wan.user.isEmpty())
            return fail(Code::DeviceError, QStringLiteral("The PPPoE user name is empty"), t);
        if (!validVlan(wan.vlan))
            return fail(Code::DeviceError, QStringLiteral("The VLAN must be 1 to 4094"), t);
        if (wan.mtu < 576 || wan.mtu > 1500)
            return fail(Code::DeviceError, QStringLiteral("The MTU must be 576 to 1500"), t);
        update(o->id,
               QStringLiteral("wan_mode='PPPOE', wan_user=?, wan_password=?, wan_vlan=?, "
                              "wan_mtu=?"),
               wan.user, wan.password, wan.vlan, wan.mtu);
        return done(QStringLiteral("WAN of %1 configured").arg(o->mac), t);
    });
}

Answer<VoipSettings> SimulatedDriver::voipGet(const OnuRef& ref) {
    return withOnu<Answer<VoipSettings>>(
        ref, Need::Omci, [&](const OnuPtr& o, Transcript& t, Answer<VoipSettings>& a) {
            if (o->voipLines < 1) {
                a.result = fail(Code::Unsupported,
                                QStringLiteral("%1 has no phone port").arg(o->model), t);
                return a;
            }
            a.value = o->voip;
            t.add(QStringLiteral("show voip line 1: sip %1 user %2 password %3 vlan %4")
                      .arg(o->voip.sipDomain, o->voip.user, o->voip.password,
                           QString::number(o->voip.vlan)),
                  {o->voip.password});
            a.result = done(QStringLiteral("Phone line 1 of %1").arg(o->mac), t);
            return a;
        });
}

Result SimulatedDriver::voipSet(const OnuRef& ref, const VoipSettings& voip) {
    return withOnu<Result>(ref, Need::Omci, [&](const OnuPtr& o, Transcript& t, Result&) {
        if (o->voipLines < voip.line || voip.line < 1)
            return fail(
                Code::Unsupported,
                QStringLiteral("%1 has no phone port %2").arg(o->model, QString::number(voip.line)),
                t);
        t.add(QStringLiteral("voip line %1 sip %2 user %3 password %4 vlan %5")
                  .arg(QString::number(voip.line), voip.sipDomain, voip.user, voip.password,
                       QString::number(voip.vlan)),
              {voip.password});
        if (voip.sipDomain.isEmpty() || voip.user.isEmpty())
            return fail(Code::DeviceError, QStringLiteral("The SIP domain and user are required"),
                        t);
        if (!validVlan(voip.vlan))
            return fail(Code::DeviceError, QStringLiteral("The VoIP VLAN must be 1 to 4094"), t);
        update(o->id, QStringLiteral("voip_domain=?, voip_user=?, voip_password=?, voip_vlan=?"),
               voip.sipDomain, voip.user, voip.password, voip.vlan);
        return done(QStringLiteral("Phone line %1 of %2 configured")
                        .arg(QString::number(voip.line), o->mac),
                    t);
    });
}

Answer<QList<WifiSettings>> SimulatedDriver::wifiGet(const OnuRef& ref) {
    return withOnu<Answer<QList<WifiSettings>>>(
        ref, Need::Omci, [&](const OnuPtr& o, Transcript& t, Answer<QList<WifiSettings>>& a) {
            a.value = {o->wifi24, o->wifi5};
            t.add(QStringLiteral("show wlan: 2.4 GHz ssid %1, 5 GHz ssid %2")
                      .arg(o->wifi24.ssid, o->wifi5.ssid));
            a.result = done(QStringLiteral("Wi-Fi of %1").arg(o->mac), t);
            return a;
        });
}

Result SimulatedDriver::wifiSet(const OnuRef& ref, const WifiSettings& wifi) {
    return withOnu<Result>(ref, Need::Omci, [&](const OnuPtr& o, Transcript& t, Result&) {
        t.add(QStringLiteral("wlan %1 ssid %2 wpa2-key %3")
                  .arg(wifi.band == Band::Ghz5 ? QStringLiteral("5g") : QStringLiteral("2.4g"),
                       wifi.ssid, wifi.key),
              {wifi.key});
        if (wifi.ssid.isEmpty() || wifi.ssid.size() > 32)
            return fail(Code::DeviceError,
                        QStringLiteral("The network name must be 1 to 32 characters"), t);
        if (wifi.key.size() < 8 || wifi.key.size() > 63)
            return fail(Code::DeviceError,
                        QStringLiteral("The Wi-Fi key must be 8 to 63 characters"), t);
        update(o->id,
               wifi.band == Band::Ghz5 ? QStringLiteral("wifi5_ssid=?, wifi5_key=?")
                                       : QStringLiteral("wifi24_ssid=?, wifi24_key=?"),
               wifi.ssid, wifi.key);
        return done(QStringLiteral("%1 Wi-Fi of %2 configured").arg(bandName(wifi.band), o->mac),
                    t);
    });
}

Result SimulatedDriver::reboot(const OnuRef& ref) {
    return withOnu<Result>(ref, Need::Online, [&](const OnuPtr& o, Transcript& t, Result&) {
        t.add(QStringLiteral("onu %1:%2 reboot").arg(o->port, QString::number(o->onuNo)));
        update(o->id, QStringLiteral("online_since=?, down_cause='DYING-GASP', down_since=?"),
               now() + m_rebootSeconds, now());
        return done(QStringLiteral("ONU %1 is rebooting; it is back in about %2 seconds")
                        .arg(o->mac, QString::number(m_rebootSeconds)),
                    t);
    });
}

Result SimulatedDriver::factoryReset(const OnuRef& ref) {
    return withOnu<Result>(ref, Need::Online, [&](const OnuPtr& o, Transcript& t, Result&) {
        t.add(QStringLiteral("onu %1:%2 restore factory-default")
                  .arg(o->port, QString::number(o->onuNo)));
        update(o->id,
               QStringLiteral("wan_mode='DHCP', wan_user='', wan_password='', wan_vlan=0, "
                              "wan_mtu=1500, voip_domain='', voip_user='', voip_password='', "
                              "voip_vlan=0, wifi24_ssid=?, wifi24_key=?, wifi5_ssid=?, "
                              "wifi5_key=?, online_since=?, down_cause='DYING-GASP', "
                              "down_since=?"),
               sim::factorySsid(o->serial, false), sim::factoryKey(o->serial),
               sim::factorySsid(o->serial, true), sim::factoryKey(o->serial),
               now() + m_rebootSeconds, now());
        return done(
            QStringLiteral("ONU %1 is back to its factory settings and is restarting").arg(o->mac),
            t);
    });
}

Answer<QList<OnuSummary>> SimulatedDriver::offlineList(const QString& oltIp,
                                                       const QDateTime& downBefore) {
    return guarded([&] {
        Transcript t;
        Answer<QList<OnuSummary>> a;
        if (!reachOlt(oltIp, t, a.result))
            return a;
        t.add(QStringLiteral("show onu state offline"));
        // An ONU coming back from a reboot is not offline; only those that
        // lost their signal, long enough ago, are listed.
        a.value = summaries(QStringLiteral("state<>'ONLINE' AND down_since>0 AND down_since<=?"
                                           " ORDER BY port, onu_no"),
                            oltIp, {QString::number(downBefore.toSecsSinceEpoch())});
        a.result = done(
            QStringLiteral("%1 offline ONU(s) on %2").arg(QString::number(a.value.size()), oltIp),
            t);
        return a;
    });
}

Result SimulatedDriver::onuDelete(const OnuRef& ref, const QDateTime& downBefore) {
    return withOnu<Result>(ref, Need::Registered, [&](const OnuPtr& o, Transcript& t, Result&) {
        t.add(QStringLiteral("no onu %1:%2").arg(o->port, QString::number(o->onuNo)));
        m_cache.clear();
        sim::Statement q(*m_db, QStringLiteral("DELETE FROM onu WHERE id=? AND state<>'ONLINE'"
                                               " AND down_since>0 AND down_since<=?"));
        q.run(o->id, downBefore.toSecsSinceEpoch()).next();
        if (q.changes() == 0)
            return fail(
                Code::DeviceError,
                QStringLiteral("ONU %1 is no longer offline long enough; it was kept").arg(o->mac),
                t);
        return done(QStringLiteral("ONU %1 removed from %2").arg(o->mac, o->oltIp), t);
    });
}

Answer<TrafficSample> SimulatedDriver::traffic(const OnuRef& ref) {
    return withOnu<Answer<TrafficSample>>(
        ref, Need::Online, [&](const OnuPtr& o, Transcript& t, Answer<TrafficSample>& a) {
            // Counters start again at every boot, as on the ONU itself.
            const qint64 up = now() - o->onlineSince;
            a.value = {up * o->rxRate, up * o->txRate, m_clock.now()};
            t.add(QStringLiteral("show onu statistics: rx %1 tx %2")
                      .arg(a.value.rxBytes)
                      .arg(a.value.txBytes));
            a.result = done(QStringLiteral("Traffic of %1").arg(o->mac), t);
            return a;
        });
}

Answer<QList<OnuSummary>> SimulatedDriver::onusByVlan(const QString& oltIp, int vlan) {
    return guarded([&] {
        Transcript t;
        Answer<QList<OnuSummary>> a;
        if (!reachOlt(oltIp, t, a.result))
            return a;
        t.add(QStringLiteral("show service-port vlan %1").arg(vlan));
        a.value = summaries(QStringLiteral("wan_vlan=? ORDER BY port, onu_no"), oltIp,
                            {QString::number(vlan)});
        a.result = done(QStringLiteral("VLAN %1 on %2").arg(QString::number(vlan), oltIp), t);
        return a;
    });
}

Answer<QList<OnuSummary>> SimulatedDriver::findOnu(const QString& oltIp, const QString& key,
                                                   int limit) {
    return guarded([&] {
        Transcript t;
        Answer<QList<OnuSummary>> a;
        if (!reachOlt(oltIp, t, a.result))
            return a;
        const QString k = key.trimmed();
        const QString digits = macDigits(k);
        const bool separated = k.contains(QLatin1Char(':')) || k.contains(QLatin1Char('-')) ||
                               k.contains(QLatin1Char('.'));
        QString column, prefix;
        if ((separated || digits.size() == 12) && !digits.isEmpty() && digits.size() % 2 == 0 &&
            digits.size() <= 12) {
            column = QStringLiteral("mac_rev");
            prefix = reversed(digits);
        } else if (!k.isEmpty() && !separated) {
            column = QStringLiteral("serial_rev");
            prefix = reversed(k.toUpper());
        } else {
            t.add(QStringLiteral("find onu ") + key);
            a.result = fail(
                Code::NotFound,
                QStringLiteral("\"%1\" is neither MAC octets nor part of a serial number").arg(key),
                t);
            return a;
        }
        t.add(QStringLiteral("find onu %1 %2")
                  .arg(column == QLatin1String("mac_rev") ? QStringLiteral("mac-suffix")
                                                          : QStringLiteral("serial-suffix"),
                       k));
        // The reversed text turns "ends with" into "starts with", which the
        // index answers without reading the OLT's other ONUs.
        a.value = summaries(QStringLiteral("%1>=? AND %1<? ORDER BY %1").arg(column), oltIp,
                            {prefix, prefix + QChar(0xFFFF)}, limit);
        a.result = a.value.isEmpty()
                       ? fail(Code::NotFound, QStringLiteral("No ONU matches %1").arg(key), t)
                       : done(QStringLiteral("%1 ONU(s) match %2")
                                  .arg(QString::number(a.value.size()), key),
                              t);
        return a;
    });
}

} // namespace oltd
