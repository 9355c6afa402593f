#include "olt_state.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace oltemu {

namespace {

QDateTime parseTime(const QJsonValue& v) {
    return QDateTime::fromString(v.toString(), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

Wan readWan(const QJsonObject& o) {
    Wan w;
    w.mode = o.value(QStringLiteral("mode")).toString(w.mode);
    w.user = o.value(QStringLiteral("user")).toString();
    w.password = o.value(QStringLiteral("password")).toString();
    w.profile = o.value(QStringLiteral("profile")).toString();
    w.vlan = o.value(QStringLiteral("vlan")).toInt();
    w.ip = o.value(QStringLiteral("ip")).toString();
    w.mask = o.value(QStringLiteral("mask")).toString();
    w.gateway = o.value(QStringLiteral("gateway")).toString();
    w.dns1 = o.value(QStringLiteral("dns1")).toString();
    w.dns2 = o.value(QStringLiteral("dns2")).toString();
    w.mac = normalMac(o.value(QStringLiteral("mac")).toString());
    w.mtu = o.value(QStringLiteral("mtu")).toInt();
    return w;
}

Voip readVoip(const QJsonObject& o) {
    Voip v;
    v.profile = o.value(QStringLiteral("profile")).toString();
    v.ipProfile = o.value(QStringLiteral("ipProfile")).toString();
    v.sipProfileId = o.value(QStringLiteral("sipProfileId")).toInt();
    v.userid = o.value(QStringLiteral("userid")).toString();
    v.username = o.value(QStringLiteral("username")).toString();
    v.password = o.value(QStringLiteral("password")).toString();
    v.telno = o.value(QStringLiteral("telno")).toString();
    v.lineState = o.value(QStringLiteral("lineState")).toString();
    return v;
}

template <typename T> void readFsp(const QJsonObject& o, T* where) {
    const QStringList fsp = o.value(QStringLiteral("fsp")).toString().split(QLatin1Char('/'));
    if (fsp.size() == 3) {
        where->frame = fsp[0].toInt();
        where->slot = fsp[1].toInt();
        where->port = fsp[2].toInt();
    }
}

FoundOnu readFound(const QJsonObject& o) {
    FoundOnu f;
    readFsp(o, &f);
    f.serial = o.value(QStringLiteral("serial")).toString().toUpper();
    f.type = o.value(QStringLiteral("type")).toString();
    f.hardware = o.value(QStringLiteral("hardware")).toString(QStringLiteral("V9.0"));
    f.software = o.value(QStringLiteral("software")).toString(QStringLiteral("V9.0.11P1N12"));
    f.found = parseTime(o.value(QStringLiteral("found")));
    return f;
}

Onu readOnu(const QJsonObject& o, Vendor vendor) {
    Onu u;
    readFsp(o, &u);
    u.id = o.value(QStringLiteral("id")).toInt();
    u.serial = o.value(QStringLiteral("serial")).toString().toUpper();
    u.name = o.value(QStringLiteral("name")).toString();
    u.description = o.value(QStringLiteral("description")).toString();
    u.type = o.value(QStringLiteral("type")).toString();
    u.hardware = o.value(QStringLiteral("hardware")).toString(u.hardware);
    u.software = o.value(QStringLiteral("software")).toString(u.software);
    u.online = o.value(QStringLiteral("online")).toBool(true);
    u.offlinePhase = o.value(QStringLiteral("phase")).toString(u.offlinePhase);
    u.distance = o.value(QStringLiteral("distance")).toInt();
    u.rx = o.value(QStringLiteral("rx")).toDouble();
    u.tx = o.value(QStringLiteral("tx")).toDouble();
    u.oltRx = o.value(QStringLiteral("oltRx")).toDouble();
    u.oltTx = o.value(QStringLiteral("oltTx")).toDouble(u.oltTx);
    u.temperature = o.value(QStringLiteral("temperature")).toDouble(u.temperature);
    u.voltage = o.value(QStringLiteral("voltage")).toDouble(u.voltage);
    u.bias = o.value(QStringLiteral("bias")).toDouble(u.bias);
    u.upSince = parseTime(o.value(QStringLiteral("upSince")));
    u.lastDown = parseTime(o.value(QStringLiteral("lastDown")));
    u.lastCause = o.value(QStringLiteral("lastCause")).toString();
    for (const QJsonValue& row : o.value(QStringLiteral("history")).toArray()) {
        const QJsonArray r = row.toArray();
        const auto text = [&](int i) {
            const QString t = r.at(i).toString();
            return t == QLatin1String("0000-00-00 00:00:00") ? QString() : t;
        };
        u.history.append(HistoryRow{text(0), text(1), r.at(2).toString()});
    }
    u.wan = readWan(o.value(QStringLiteral("wan")).toObject());
    u.voip = readVoip(o.value(QStringLiteral("voip")).toObject());
    for (const QJsonValue& s : o.value(QStringLiteral("wifi")).toArray()) {
        const QJsonObject so = s.toObject();
        Ssid ssid;
        ssid.index = so.value(QStringLiteral("index")).toInt(1);
        ssid.name = so.value(QStringLiteral("name")).toString();
        ssid.key = so.value(QStringLiteral("key")).toString();
        ssid.standard = so.value(QStringLiteral("standard"))
                            .toString(ssid.index >= 5 ? QStringLiteral("IEEE 802.11ac")
                                                      : QStringLiteral("IEEE 802.11b/g/n"));
        ssid.enabled = so.value(QStringLiteral("enabled")).toBool(true);
        ssid.clients = so.value(QStringLiteral("clients")).toInt();
        u.wifi.append(ssid);
    }
    for (const QJsonValue& m : o.value(QStringLiteral("macs")).toArray()) {
        const QJsonObject mo = m.toObject();
        u.macs.append(MacEntry{normalMac(mo.value(QStringLiteral("mac")).toString()),
                               mo.value(QStringLiteral("vlan")).toInt()});
    }
    for (const QJsonValue& s : o.value(QStringLiteral("servicePorts")).toArray()) {
        const QJsonObject so = s.toObject();
        const int vlan = so.value(QStringLiteral("vlan")).toInt();
        u.servicePorts.append(ServicePort{so.value(QStringLiteral("index")).toInt(), vlan,
                                          so.value(QStringLiteral("gem")).toInt(1),
                                          so.value(QStringLiteral("userVlan")).toInt(vlan)});
    }
    const QJsonObject c = o.value(QStringLiteral("counters")).toObject();
    u.inBytes = c.value(QStringLiteral("inBytes")).toInteger();
    u.outBytes = c.value(QStringLiteral("outBytes")).toInteger();
    u.inPackets = c.value(QStringLiteral("inPackets")).toInteger();
    u.outPackets = c.value(QStringLiteral("outPackets")).toInteger();
    u.inRate = c.value(QStringLiteral("inRate")).toInteger();
    u.outRate = c.value(QStringLiteral("outRate")).toInteger();
    u.acsOnly = o.value(QStringLiteral("acsOnly")).toBool();
    // A ZTE ONU always shows ten history rows.
    if (vendor == Vendor::Zte)
        while (u.history.size() < 10)
            u.history.append(HistoryRow{});
    return u;
}

} // namespace

bool OltState::load(const QString& path, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, f.errorString());
        return false;
    }
    return loadJson(f.readAll(), error);
}

bool OltState::loadJson(const QByteArray& json, QString* error) {
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &pe);
    if (!doc.isObject()) {
        *error = QStringLiteral("state file is not a JSON object: %1").arg(pe.errorString());
        return false;
    }
    const QJsonObject o = doc.object();
    OltConfig c;
    const QString vendor = o.value(QStringLiteral("vendor")).toString();
    if (vendor != QLatin1String("zte") && vendor != QLatin1String("huawei")) {
        *error = QStringLiteral("state file: vendor must be \"zte\" or \"huawei\"");
        return false;
    }
    c.vendor = vendor == QLatin1String("zte") ? Vendor::Zte : Vendor::Huawei;
    c.hostname = o.value(QStringLiteral("hostname")).toString(QStringLiteral("OLT"));
    c.model =
        o.value(QStringLiteral("model"))
            .toString(c.vendor == Vendor::Zte ? QStringLiteral("C320") : QStringLiteral("MA5608T"));
    c.username = o.value(QStringLiteral("username")).toString(QStringLiteral("admin"));
    c.password = o.value(QStringLiteral("password")).toString(QStringLiteral("admin"));
    c.enablePassword = o.value(QStringLiteral("enablePassword")).toString(c.password);
    c.privileged = o.value(QStringLiteral("privileged")).toBool(true);
    c.maxSessions = o.value(QStringLiteral("maxSessions")).toInt(c.maxSessions);
    c.pageLength = o.value(QStringLiteral("pageLength")).toInt(c.pageLength);
    c.banner = o.value(QStringLiteral("banner")).toString();
    c.confirm = o.value(QStringLiteral("confirm")).toString();
    c.passwordChange = o.value(QStringLiteral("passwordChange")).toBool();
    c.yesNoNotice = o.value(QStringLiteral("yesNoNotice")).toBool();
    c.softwareVersion = o.value(QStringLiteral("softwareVersion")).toString();
    c.newSummaryHeader = o.value(QStringLiteral("newSummaryHeader")).toBool();
    c.olderRelease = o.value(QStringLiteral("olderRelease")).toBool();
    c.gponCode = o.value(QStringLiteral("gponCode")).toInt(c.gponCode);
    c.badLoginLine = o.value(QStringLiteral("badLoginLine")).toBool();
    c.utcOffset = o.value(QStringLiteral("utcOffset")).toString(c.utcOffset);
    c.timezone = o.value(QStringLiteral("timezone")).toString(c.timezone);
    c.rebootMs = o.value(QStringLiteral("rebootMs")).toInt(c.rebootMs);
    const QJsonObject profiles = o.value(QStringLiteral("vlanProfiles")).toObject();
    for (auto it = profiles.begin(); it != profiles.end(); ++it)
        c.vlanProfiles.insert(it.key(), it.value().toInt());
    const QJsonObject sip = o.value(QStringLiteral("sipProfiles")).toObject();
    for (auto it = sip.begin(); it != sip.end(); ++it) {
        const QJsonObject so = it.value().toObject();
        c.sipProfiles.insert(it.key(), SipProfile{so.value(QStringLiteral("proxy")).toString(),
                                                  so.value(QStringLiteral("domain")).toString()});
    }
    for (const QJsonValue& m : o.value(QStringLiteral("uplinkMacs")).toArray()) {
        const QJsonObject mo = m.toObject();
        c.uplinkMacs.append(UplinkMac{normalMac(mo.value(QStringLiteral("mac")).toString()),
                                      mo.value(QStringLiteral("port")).toString(),
                                      mo.value(QStringLiteral("vlan")).toInt()});
    }
    QList<Onu> list;
    for (const QJsonValue& u : o.value(QStringLiteral("onus")).toArray())
        list.append(readOnu(u.toObject(), c.vendor));
    QList<FoundOnu> seen;
    for (const QJsonValue& f : o.value(QStringLiteral("unconfigured")).toArray())
        seen.append(readFound(f.toObject()));

    auto guard = lock();
    config = c;
    onus = list;
    found = seen;
    const QDateTime clock = parseTime(o.value(QStringLiteral("clock")));
    m_clockStart = clock.isValid() ? clock : QDateTime::currentDateTime();
    m_loadedAt = std::chrono::steady_clock::now();
    return true;
}

QDateTime OltState::now() const {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - m_loadedAt);
    return m_clockStart.addMSecs(ms.count());
}

void OltState::setClock(const QDateTime& start) {
    m_clockStart = start;
    m_loadedAt = std::chrono::steady_clock::now();
}

Onu* OltState::find(int frame, int slot, int port, int id) {
    for (Onu& u : onus)
        if (u.frame == frame && u.slot == slot && u.port == port && u.id == id)
            return &u;
    return nullptr;
}

Onu* OltState::findBySerial(const QString& serial) {
    const QString key = serial.toUpper();
    for (Onu& u : onus)
        if (u.serial == key || serialHex(u.serial) == key)
            return &u;
    return nullptr;
}

QList<Onu*> OltState::onPort(int frame, int slot, int port) {
    QList<Onu*> list;
    for (Onu& u : onus)
        if (u.frame == frame && u.slot == slot && u.port == port)
            list.append(&u);
    std::sort(list.begin(), list.end(), [](Onu* a, Onu* b) { return a->id < b->id; });
    return list;
}

QList<Onu*> OltState::all() {
    QList<Onu*> list;
    for (Onu& u : onus)
        list.append(&u);
    std::sort(list.begin(), list.end(), [](Onu* a, Onu* b) {
        return std::tie(a->frame, a->slot, a->port, a->id) <
               std::tie(b->frame, b->slot, b->port, b->id);
    });
    return list;
}

bool OltState::remove(int frame, int slot, int port, int id) {
    for (qsizetype i = 0; i < onus.size(); ++i)
        if (onus[i].frame == frame && onus[i].slot == slot && onus[i].port == port &&
            onus[i].id == id) {
            onus.removeAt(i);
            return true;
        }
    return false;
}

bool OltState::isOnline(Onu& onu) {
    const auto now = std::chrono::steady_clock::now();
    if (onu.backOnline != std::chrono::steady_clock::time_point{} && now >= onu.backOnline) {
        onu.backOnline = {};
        onu.online = true;
    }
    return onu.online;
}

void OltState::reboot(Onu& onu, const QString& cause) {
    const QDateTime t = now();
    const QDateTime back = t.addMSecs(config.rebootMs);
    // Close the running session's history row and open the next one.
    for (HistoryRow& r : onu.history)
        if (!r.authpass.isEmpty() && r.offline.isEmpty())
            r.offline = timeText(t), r.cause = cause;
    if (!onu.history.isEmpty()) {
        qsizetype slot = 0;
        for (qsizetype i = 0; i < onu.history.size(); ++i) {
            if (onu.history[i].authpass.isEmpty()) {
                slot = i;
                break;
            }
            if (onu.history[i].authpass < onu.history[slot].authpass)
                slot = i;
        }
        onu.history[slot] = HistoryRow{timeText(back), QString(), QString()};
    }
    onu.online = false;
    onu.offlinePhase = QStringLiteral("OffLine");
    onu.lastDown = t;
    onu.lastCause = cause;
    onu.upSince = back;
    onu.backOnline = std::chrono::steady_clock::now() + std::chrono::milliseconds(config.rebootMs);
}

qint64 OltState::uptimeSeconds(Onu& onu) {
    if (!isOnline(onu) || !onu.upSince.isValid())
        return 0;
    return std::max<qint64>(0, onu.upSince.secsTo(now()));
}

qint64 OltState::inBytes(Onu& onu) {
    return onu.inBytes + onu.inRate * uptimeSeconds(onu);
}
qint64 OltState::outBytes(Onu& onu) {
    return onu.outBytes + onu.outRate * uptimeSeconds(onu);
}

bool OltState::setAcsOnly(const QString& serial, bool on) {
    auto guard = lock();
    Onu* u = findBySerial(serial);
    if (u)
        u->acsOnly = on;
    return u != nullptr;
}

QString normalMac(QString mac) {
    static const QRegularExpression notHex(QStringLiteral("[^0-9A-Fa-f]"));
    return mac.remove(notHex).toUpper();
}

QString dottedMac(const QString& mac) {
    const QString m = mac.toLower();
    return m.mid(0, 4) + QLatin1Char('.') + m.mid(4, 4) + QLatin1Char('.') + m.mid(8, 4);
}

QString dashedMac(const QString& mac, bool upper) {
    const QString m = upper ? mac.toUpper() : mac.toLower();
    return m.mid(0, 4) + QLatin1Char('-') + m.mid(4, 4) + QLatin1Char('-') + m.mid(8, 4);
}

QString serialHex(const QString& serial) {
    if (serial.size() != 12)
        return serial;
    return QString::fromLatin1(serial.left(4).toLatin1().toHex().toUpper()) + serial.mid(4);
}

QString serialFromHex(const QString& hex) {
    static const QRegularExpression form(QStringLiteral("^[0-9A-Fa-f]{16}$"));
    if (!form.match(hex).hasMatch())
        return {};
    return QString::fromLatin1(QByteArray::fromHex(hex.left(8).toLatin1())) + hex.mid(8).toUpper();
}

QString timeText(const QDateTime& t) {
    return t.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

} // namespace oltemu
