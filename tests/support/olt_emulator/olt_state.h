#pragma once

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>

#include <chrono>
#include <mutex>
#include <optional>

namespace oltemu {

enum class Vendor { Zte, Huawei };

struct Wan {
    QString mode = QStringLiteral("PPPoE"); // PPPoE, DHCP or Bridge
    QString user, password, profile;
    int vlan = 0;
    QString ip, mask, gateway, dns1, dns2;
    QString mac; // 12 upper-case hex digits; empty when the ONU bridges
    int mtu = 0; // ZTE "wan 1 mtu"; 0 when never set
};

struct Voip {
    QString profile;   // ZTE SIP profile name
    QString ipProfile; // ZTE voip-ip vlan-profile
    int sipProfileId = 0;
    QString userid, username, password, telno;
    QString lineState; // what voip-linestatus shows; empty when no line is set
};

struct Ssid {
    int index = 1; // 1-4 are 2.4 GHz, 5-8 are 5 GHz
    QString name, key, standard;
    bool enabled = true;
    int clients = 0;
};

struct MacEntry {
    QString mac; // 12 upper-case hex digits
    int vlan = 0;
};

struct ServicePort {
    int index = 0;
    int vlan = 0;
    int gem = 1;
    int userVlan = 0;
};

struct HistoryRow {
    QString authpass, offline, cause; // "yyyy-MM-dd hh:mm:ss"; empty means never
};

struct Onu {
    int frame = 1, slot = 1, port = 1, id = 1;
    QString serial; // 4 vendor letters and 8 hex digits, "ZTEGC4A7D19E"
    QString name, description, type;
    QString hardware = QStringLiteral("V9.0"), software = QStringLiteral("V9.0.11P1N12");
    bool online = true;
    QString offlinePhase = QStringLiteral("LOS"); // ZTE phase state while offline
    int distance = 0;
    double rx = 0, tx = 0, oltRx = 0, oltTx = 6.4, temperature = 45, voltage = 3.3, bias = 9;
    QDateTime upSince; // OLT time of the last authentication
    QDateTime lastDown;
    QString lastCause;
    QList<HistoryRow> history;
    Wan wan;
    Voip voip;
    QList<Ssid> wifi;
    QList<MacEntry> macs; // learned behind the ONU (a bridge ONU's router)
    QList<ServicePort> servicePorts;
    qint64 inBytes = 0, outBytes = 0, inPackets = 0, outPackets = 0;
    qint64 inRate = 0, outRate = 0; // bytes per second while online
    bool acsOnly = false;           // managed over TR-069: OMCI WAN/Wi-Fi settings do not take
    std::chrono::steady_clock::time_point backOnline{};
};

// An ONU the OLT has seen on a port but nobody has configured (ZTE "uncfg",
// Huawei "autofind").
struct FoundOnu {
    int frame = 1, slot = 1, port = 1;
    QString serial, type, hardware, software;
    QDateTime found;
};

struct SipProfile {
    QString proxy, domain;
};

struct UplinkMac {
    QString mac, port;
    int vlan = 0;
};

struct OltConfig {
    Vendor vendor = Vendor::Zte;
    QString hostname, model;
    QString username, password, enablePassword;
    bool privileged = true; // ZTE: the account lands in "#"
    int maxSessions = 4;
    int pageLength = 24;
    QString banner;              // ZTE: text before "Username:"
    QString confirm;             // ZTE: "", "yes/no" or "Y/N" before reboot and factory reset
    bool passwordChange = false; // Huawei: ask to change the password after login
    bool yesNoNotice = false;    // Huawei: a notice to answer YES/NO before the prompt
    QString softwareVersion;     // ZTE "show version"; empty: one per family
    bool newSummaryHeader = false;
    bool olderRelease = false; // labels, units and notices of older firmware
    int gponCode = 32310;      // ZTE: the number of "%Code «n»-GPONSRV" (some releases: 62310)
    bool badLoginLine = false; // ZTE: a failed login prints an error line before "Username:"
    QString utcOffset = QStringLiteral("+05:30");
    QString timezone = QStringLiteral("IST");
    int rebootMs = 60000;
    QMap<QString, int> vlanProfiles; // ZTE vlan-profile name -> VLAN
    QMap<QString, SipProfile> sipProfiles;
    QList<UplinkMac> uplinkMacs;
};

// The device's whole state: configuration and ONUs. Sessions run on their own
// threads, so every reader and writer holds lock() while it looks.
class OltState {
public:
    bool load(const QString& path, QString* error);
    bool loadJson(const QByteArray& json, QString* error);

    std::unique_lock<std::mutex> lock() { return std::unique_lock<std::mutex>(m_mutex); }

    OltConfig config;
    QList<Onu> onus;
    QList<FoundOnu> found; // unconfigured ONUs, in the order the OLT found them

    // The OLT's own clock: the configured start time running on from load.
    QDateTime now() const;
    void setClock(const QDateTime& start);

    Onu* find(int frame, int slot, int port, int id);
    Onu* findBySerial(const QString& serial);
    QList<Onu*> onPort(int frame, int slot, int port);
    QList<Onu*> all();
    bool remove(int frame, int slot, int port, int id);

    // Phase of an ONU now, settling a finished reboot first.
    bool isOnline(Onu& onu);
    void reboot(Onu& onu, const QString& cause);
    qint64 uptimeSeconds(Onu& onu);
    qint64 inBytes(Onu& onu);
    qint64 outBytes(Onu& onu);

    // Test hook: mark an ONU as managed over TR-069 only.
    bool setAcsOnly(const QString& serial, bool on);

private:
    std::mutex m_mutex;
    QDateTime m_clockStart;
    std::chrono::steady_clock::time_point m_loadedAt = std::chrono::steady_clock::now();
};

QString normalMac(QString mac);                    // any spelling -> 12 upper-case hex digits
QString dottedMac(const QString& mac);             // c83a.357e.2109
QString dashedMac(const QString& mac, bool upper); // c83a-357e-2109
QString serialHex(const QString& serial);          // ZTEGC4A7D19E -> 5A544547C4A7D19E
QString serialFromHex(const QString& hex);         // and back; empty when not 16 hex digits
QString timeText(const QDateTime& t);              // "yyyy-MM-dd hh:mm:ss"

} // namespace oltemu
