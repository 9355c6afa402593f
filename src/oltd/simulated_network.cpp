#include "oltd/simulated_network.h"

#include "oltd/driver.h"
#include "oltd/mac.h"

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

namespace oltd::sim {

namespace {

const char* const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS olt (ip TEXT PRIMARY KEY, name TEXT, vendor TEXT,"
    " answer TEXT NOT NULL DEFAULT 'OK')",
    "CREATE TABLE IF NOT EXISTS pon_port (olt_ip TEXT NOT NULL, port TEXT NOT NULL,"
    " PRIMARY KEY (olt_ip, port))",
    // online_since is in seconds since the epoch; while it lies in the future
    // the ONU is coming back from a reboot. state LOS marks an ONU that has
    // lost its signal for good (a customer who unplugged or left). down_since
    // (seconds since the epoch, 0: unknown) is when it last went down.
    "CREATE TABLE IF NOT EXISTS onu (id INTEGER PRIMARY KEY, olt_ip TEXT NOT NULL,"
    " port TEXT NOT NULL, onu_no INTEGER NOT NULL, mac TEXT NOT NULL, mac_rev TEXT NOT NULL,"
    " serial TEXT NOT NULL, serial_rev TEXT NOT NULL, model TEXT NOT NULL,"
    " managed_by TEXT NOT NULL DEFAULT 'OMCI', voip_lines INTEGER NOT NULL DEFAULT 1,"
    " state TEXT NOT NULL DEFAULT 'ONLINE', down_cause TEXT NOT NULL DEFAULT '',"
    " online_since INTEGER NOT NULL DEFAULT 0, down_since INTEGER NOT NULL DEFAULT 0,"
    " rx_power REAL, tx_power REAL, olt_rx_power REAL, distance_m INTEGER,"
    " rx_rate INTEGER NOT NULL DEFAULT 0, tx_rate INTEGER NOT NULL DEFAULT 0,"
    " wan_mode TEXT NOT NULL DEFAULT 'DHCP', wan_user TEXT NOT NULL DEFAULT '',"
    " wan_password TEXT NOT NULL DEFAULT '', wan_vlan INTEGER NOT NULL DEFAULT 0,"
    " wan_mtu INTEGER NOT NULL DEFAULT 1500,"
    " voip_domain TEXT NOT NULL DEFAULT '', voip_user TEXT NOT NULL DEFAULT '',"
    " voip_password TEXT NOT NULL DEFAULT '', voip_vlan INTEGER NOT NULL DEFAULT 0,"
    " wifi24_ssid TEXT NOT NULL DEFAULT '', wifi24_key TEXT NOT NULL DEFAULT '',"
    " wifi5_ssid TEXT NOT NULL DEFAULT '', wifi5_key TEXT NOT NULL DEFAULT '',"
    " answer TEXT NOT NULL DEFAULT 'OK')",
    "CREATE UNIQUE INDEX IF NOT EXISTS ix_onu_olt_mac ON onu (olt_ip, mac_rev)",
    "CREATE INDEX IF NOT EXISTS ix_onu_olt_serial ON onu (olt_ip, serial_rev)",
    "CREATE INDEX IF NOT EXISTS ix_onu_olt_state ON onu (olt_ip, state)",
    "CREATE INDEX IF NOT EXISTS ix_onu_olt_vlan ON onu (olt_ip, wan_vlan)",
};

void run(QSqlQuery& q, const QString& what) {
    if (!q.exec())
        throw SimError(QStringLiteral("%1: %2").arg(what, q.lastError().text()));
}

void exec(const QSqlDatabase& db, const QString& sql) {
    QSqlQuery q(db);
    if (!q.exec(sql))
        throw SimError(QStringLiteral("%1: %2").arg(sql, q.lastError().text()));
}

// Removes the connection once every query on it is gone.
class Connection {
public:
    Connection(const QString& file)
        : m_name(QUuid::createUuid().toString()) {
        m_db = open(file, m_name);
    }
    ~Connection() {
        m_db.close();
        m_db = {};
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase& db() { return m_db; }

private:
    QString m_name;
    QSqlDatabase m_db;
};

struct NewOnu {
    QString oltIp, port, mac, serial, model, state = QStringLiteral("ONLINE"), downCause;
    int onuNo = 0;
    QString wanMode = QStringLiteral("DHCP"), wanUser;
    int wanVlan = 0, wanMtu = 1500;
    // Spreads optical figures, distance, traffic rates and uptime; unsigned,
    // as a hash is, so that none of them can turn negative.
    quint64 seed = 0;
    qint64 downSince = 0; // for an ONU that is down
};

class OnuWriter {
public:
    explicit OnuWriter(const QSqlDatabase& db)
        : m_q(db) {
        m_q.prepare(QStringLiteral(
            "INSERT OR IGNORE INTO onu (olt_ip, port, onu_no, mac, mac_rev, serial, serial_rev,"
            " model, state, down_cause, rx_power, tx_power, olt_rx_power, distance_m, rx_rate,"
            " tx_rate, wan_mode, wan_user, wan_vlan, wan_mtu, wifi24_ssid, wifi24_key,"
            " wifi5_ssid, wifi5_key, online_since, down_since)"
            " VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    }
    bool add(const NewOnu& o) {
        const QString digits = macDigits(o.mac);
        const quint64 s = o.seed;
        const QVariantList values{
            o.oltIp, o.port, o.onuNo, formatMac(digits), reversed(digits), o.serial,
            reversed(o.serial.toUpper()), o.model, o.state, o.downCause,
            -17.0 - double(s % 90) / 10.0, 2.0 + double(s % 7) / 10.0,
            -20.0 - double(s % 60) / 10.0, 300 + int(s % 97) * 40, qint64(20000 + s % 50 * 3000),
            qint64(4000 + s % 30 * 500), o.wanMode, o.wanUser, o.wanVlan, o.wanMtu,
            factorySsid(o.serial, false), factoryKey(o.serial), factorySsid(o.serial, true),
            factoryKey(o.serial),
            // Up for anything from ten minutes to ten days.
            QDateTime::currentSecsSinceEpoch() - 600 - qint64(s % 864000), o.downSince};
        for (int i = 0; i < values.size(); ++i) {
            // A null QString binds as NULL, which the NOT NULL columns refuse.
            const QVariant& v = values.at(i);
            const bool nullText = v.typeId() == QMetaType::QString && v.toString().isNull();
            m_q.bindValue(i, nullText ? QVariant(QStringLiteral("")) : v);
        }
        run(m_q, QStringLiteral("adding ONU %1").arg(o.mac));
        return m_q.numRowsAffected() > 0;
    }

private:
    QSqlQuery m_q;
};

void addOlt(const QSqlDatabase& db, const QString& ip, const QString& name, const QString& vendor,
            int ports) {
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT OR IGNORE INTO olt (ip, name, vendor) VALUES (?,?,?)"));
    q.addBindValue(ip);
    q.addBindValue(name);
    q.addBindValue(vendor);
    run(q, QStringLiteral("adding OLT %1").arg(ip));
    q.prepare(QStringLiteral("INSERT OR IGNORE INTO pon_port (olt_ip, port) VALUES (?,?)"));
    for (int p = 1; p <= ports; ++p) {
        q.addBindValue(ip);
        q.addBindValue(QStringLiteral("1/1/%1").arg(p));
        run(q, QStringLiteral("adding a PON port"));
    }
}

QString modelOf(const QString& serial) {
    return serial.startsWith(QLatin1String("HWTC"), Qt::CaseInsensitive) ? QStringLiteral("HG8245H")
                                                                         : QStringLiteral("F660");
}

void prepareFile(const QString& file, bool replace) {
    if (QFile::exists(file)) {
        if (!replace)
            throw SimError(QStringLiteral("%1 already exists (--force replaces it)").arg(file));
        for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(file + suffix);
    }
}

// Files made before ONUs knew when they went down: their offline ONUs count
// as down from now, so none is cleared before it has been offline a while.
void addDownSince(const QSqlDatabase& db) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT 1 FROM pragma_table_info('onu') WHERE name='down_since'")))
        throw SimError(QStringLiteral("reading the ONU table: %1").arg(q.lastError().text()));
    if (q.next())
        return;
    q.finish();
    exec(db, QStringLiteral("ALTER TABLE onu ADD COLUMN down_since INTEGER NOT NULL DEFAULT 0"));
    exec(db,
         QStringLiteral("UPDATE onu SET down_since=strftime('%s','now') WHERE state<>'ONLINE'"));
}

} // namespace

QSqlDatabase open(const QString& file, const QString& connectionName) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(file);
    if (!db.open())
        throw SimError(QStringLiteral("cannot open the simulated network %1: %2")
                           .arg(file, db.lastError().text()));
    exec(db, QStringLiteral("PRAGMA journal_mode=WAL"));
    exec(db, QStringLiteral("PRAGMA busy_timeout=5000"));
    for (const char* sql : kSchema)
        exec(db, QString::fromLatin1(sql));
    addDownSince(db);
    return db;
}

QString factorySsid(const QString& serial, bool fiveGhz) {
    return QStringLiteral("ZEL-%1%2")
        .arg(serial.right(4).toUpper(), fiveGhz ? QStringLiteral("-5G") : QString());
}

QString factoryKey(const QString& serial) {
    return serial.right(8).toLower().rightJustified(8, QLatin1Char('0'));
}

InitSummary initFromClientDb(const QString& clientDb, const QString& file, bool replace) {
    if (!QFile::exists(clientDb))
        throw SimError(QStringLiteral("client database %1 not found").arg(clientDb));
    prepareFile(file, replace);
    InitSummary summary;
    const QString clientName = QUuid::createUuid().toString();
    {
        QSqlDatabase client = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), clientName);
        client.setDatabaseName(clientDb);
        client.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!client.open())
            throw SimError(
                QStringLiteral("cannot open %1: %2").arg(clientDb, client.lastError().text()));
        Connection sim(file);
        exec(sim.db(), QStringLiteral("BEGIN"));
        QHash<QString, QString> ipOfSite; // site name, upper case -> OLT address
        QHash<QString, int> nextOnu;      // OLT address -> ONUs placed so far
        QSqlQuery sites(client);
        sites.setForwardOnly(true);
        if (!sites.exec(QStringLiteral("SELECT site, ip FROM af_site ORDER BY site")))
            throw SimError(QStringLiteral("reading af_site: %1").arg(sites.lastError().text()));
        while (sites.next()) {
            const QString site = sites.value(0).toString().trimmed();
            const QString ip = sites.value(1).toString().trimmed();
            if (site.isEmpty() || ip.isEmpty() || ipOfSite.contains(site.toUpper()))
                continue;
            ipOfSite.insert(site.toUpper(), ip);
            addOlt(sim.db(), ip, site, QStringLiteral("simulated"), 4);
            ++summary.olts;
        }
        OnuWriter writer(sim.db());
        QSqlQuery onus(client);
        onus.setForwardOnly(true);
        if (!onus.exec(QStringLiteral("SELECT SITE, IN_VLAN, ID, MAC, SN FROM OLT")))
            throw SimError(QStringLiteral("reading OLT: %1").arg(onus.lastError().text()));
        while (onus.next()) {
            const QString ip = ipOfSite.value(onus.value(0).toString().trimmed().toUpper());
            const QString digits = macDigits(onus.value(3).toString().trimmed());
            if (ip.isEmpty() || digits.size() != 12) {
                ++summary.skipped;
                continue;
            }
            const int n = nextOnu[ip]++;
            NewOnu o;
            o.oltIp = ip;
            o.port = QStringLiteral("1/1/%1").arg(n % 4 + 1);
            o.onuNo = n / 4 + 1;
            o.mac = digits;
            o.serial = onus.value(4).toString().trimmed();
            if (o.serial.isEmpty())
                o.serial = QStringLiteral("ZELS") + digits.right(8);
            o.model = modelOf(o.serial);
            o.wanMode = QStringLiteral("PPPOE");
            o.wanUser = onus.value(2).toString().trimmed();
            o.wanVlan = onus.value(1).toInt();
            o.wanMtu = 1460;
            o.seed = qHash(digits);
            if (writer.add(o))
                ++summary.onus;
        }
        // Customers who left with their ONU still registered on the OLT.
        int oltNo = 0;
        for (auto it = ipOfSite.cbegin(); it != ipOfSite.cend(); ++it, ++oltNo) {
            for (int k = 1; k <= 2; ++k) {
                const int n = nextOnu[it.value()]++;
                NewOnu o;
                o.oltIp = it.value();
                o.port = QStringLiteral("1/1/%1").arg(n % 4 + 1);
                o.onuNo = n / 4 + 1;
                o.mac = QStringLiteral("025A0F%1F0%2")
                            .arg(oltNo % 256, 2, 16, QLatin1Char('0'))
                            .arg(k, 2, 16, QLatin1Char('0'));
                o.serial = QStringLiteral("ZELS%1").arg(oltNo * 10 + k, 8, 10, QLatin1Char('0'));
                o.model = QStringLiteral("F660");
                o.state = QStringLiteral("LOS");
                o.downCause = QStringLiteral("LOS");
                o.seed = quint64(oltNo * 10 + k);
                // Gone for a month or more.
                o.downSince = QDateTime::currentSecsSinceEpoch() - (30 + k) * 86400;
                writer.add(o);
            }
        }
        exec(sim.db(), QStringLiteral("COMMIT"));
        client.close();
    }
    QSqlDatabase::removeDatabase(clientName);
    return summary;
}

void seedSynthetic(const QString& file, int olts, int onus) {
    if (olts < 1 || onus < 0)
        throw SimError(QStringLiteral("a synthetic network needs at least one OLT"));
    prepareFile(file, true);
    Connection sim(file);
    exec(sim.db(), QStringLiteral("BEGIN"));
    for (int k = 0; k < olts; ++k)
        addOlt(sim.db(), QStringLiteral("198.18.%1.%2").arg(k / 250).arg(k % 250 + 1),
               QStringLiteral("OLT-%1").arg(k + 1), QStringLiteral("simulated"), 16);
    OnuWriter writer(sim.db());
    for (int i = 0; i < onus; ++i) {
        const int k = i % olts;
        const int n = i / olts;
        NewOnu o;
        o.oltIp = QStringLiteral("198.18.%1.%2").arg(k / 250).arg(k % 250 + 1);
        o.port = QStringLiteral("1/1/%1").arg(n % 16 + 1);
        o.onuNo = n / 16 + 1;
        // A multiplicative spread keeps the trailing octets varied, as on a
        // real network where MACs come from several vendors' ranges.
        const quint64 serial = quint64(i) * 2654435761ULL % 0xFFFFFFFFFFULL;
        o.mac = QStringLiteral("A4%1").arg(serial, 10, 16, QLatin1Char('0')).toUpper();
        o.serial = QStringLiteral("ZTEG%1").arg(i, 8, 16, QLatin1Char('0')).toUpper();
        o.model = QStringLiteral("F660");
        o.wanMode = QStringLiteral("PPPOE");
        o.wanUser = QStringLiteral("user%1").arg(i);
        o.wanVlan = 100 + n % 3000;
        o.wanMtu = 1460;
        o.seed = quint64(i);
        writer.add(o);
    }
    exec(sim.db(), QStringLiteral("COMMIT"));
}

bool setAnswer(const QString& file, const QString& oltIp, const QString& mac, const QString& code) {
    const auto known = codeFromName(code);
    if (!known)
        throw SimError(QStringLiteral("unknown result code %1").arg(code));
    Connection sim(file);
    QSqlQuery q(sim.db());
    if (mac.isEmpty()) {
        q.prepare(QStringLiteral("UPDATE olt SET answer=? WHERE ip=?"));
        q.addBindValue(codeName(*known));
        q.addBindValue(oltIp);
    } else {
        q.prepare(QStringLiteral("UPDATE onu SET answer=? WHERE olt_ip=? AND mac_rev=?"));
        q.addBindValue(codeName(*known));
        q.addBindValue(oltIp);
        q.addBindValue(reversed(macDigits(mac)));
    }
    run(q, QStringLiteral("setting the answer"));
    return q.numRowsAffected() > 0;
}

} // namespace oltd::sim
