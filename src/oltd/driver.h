#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The contract between the service's pages and whatever reaches the OLTs.
// Pages know only this header; each vendor (and the simulated network) is a
// Driver behind it.
namespace oltd {

// Busy: the OLT's queue of requests is full; the page asks to come back.
enum class Code { Ok, NotFound, Offline, Unsupported, NeedsAcs, Auth, Timeout, DeviceError, Busy };

// "OK", "NOT_FOUND", ... as written in pages, logs and the simulated network.
QString codeName(Code code);
std::optional<Code> codeFromName(const QString& name);

// What the driver said to the device and what it heard back. Secrets never
// reach it in clear: every line goes through add(), which masks them.
class Transcript {
public:
    void add(QString line, const QStringList& secrets = {});
    const QStringList& lines() const { return m_lines; }

private:
    QStringList m_lines;
};

struct Result {
    Code code = Code::Ok;
    QString message;
    QStringList transcript;
    bool ok() const { return code == Code::Ok; }
};

template <class T> struct Answer {
    Result result;
    T value{};
};

// An ONU as the caller names it: the OLT's management address and the ONU's
// whole MAC address. An ONU of a list whose MAC the OLT never showed (an
// offline ONU) is named by its place and serial instead: the driver acts on
// the place only while the serial there is still the one listed.
struct OnuRef {
    QString oltIp;
    QString mac;
    QString place;  // "PON port:ONU id", as OnuSummary::port; with an empty mac
    QString serial; // the serial listed at that place
};

struct Capabilities {
    bool omciWan = false;
    bool omciWifi = false;
    bool omciVoip = false;
    bool tr069 = false;
};

struct OnuStatus {
    QString mac;
    QString port;
    QString state; // ONLINE, OFFLINE, LOS
    QString lastDownCause;
    double rxPowerDbm = 0;
    double txPowerDbm = 0;
    double oltRxPowerDbm = 0;
    int distanceMetres = 0;
    qint64 uptimeSeconds = 0;
    QString serial;
    QString model;
};

struct WanSettings {
    QString mode; // PPPOE, DHCP
    QString user;
    QString password;
    int vlan = 0; // 0: none
    int mtu = 0;
};

struct VoipSettings {
    int line = 1;
    QString sipDomain;
    QString user;
    QString password;
    int vlan = 0;
    bool registered = false;
};

enum class Band { Ghz24, Ghz5 };
QString bandName(Band band); // "2.4 GHz", "5 GHz"

struct WifiSettings {
    Band band = Band::Ghz24;
    QString ssid;
    QString key;
};

struct TrafficSample {
    qint64 rxBytes = 0;
    qint64 txBytes = 0;
    QDateTime sampledAt;
};

// One line of a list of ONUs (offline list, VLAN users, MAC search).
struct OnuSummary {
    QString mac;
    QString serial;
    QString port; // "PON port:ONU id", as "1/1/2:7"
    QString state;
    QString wanUser;
    int wanVlan = 0;
    QString downCause;   // why it last went down; empty when never
    QDateTime downSince; // when it last went down; invalid when unknown
};

class Driver {
public:
    virtual ~Driver() = default;

    virtual Answer<Capabilities> capabilities(const OnuRef& onu) = 0;
    virtual Answer<OnuStatus> onuStatus(const OnuRef& onu) = 0;
    virtual Answer<WanSettings> wanGet(const OnuRef& onu) = 0;
    virtual Result wanSet(const OnuRef& onu, const WanSettings& wan) = 0;
    virtual Answer<VoipSettings> voipGet(const OnuRef& onu) = 0;
    virtual Result voipSet(const OnuRef& onu, const VoipSettings& voip) = 0;
    virtual Answer<QList<WifiSettings>> wifiGet(const OnuRef& onu) = 0;
    virtual Result wifiSet(const OnuRef& onu, const WifiSettings& wifi) = 0;
    virtual Result reboot(const OnuRef& onu) = 0;
    virtual Result factoryReset(const OnuRef& onu) = 0;
    // The ONUs that are down (not coming back from a reboot) and have been
    // since downBefore or earlier. An ONU whose down time is unknown is not
    // listed: it may have been online a moment ago.
    virtual Answer<QList<OnuSummary>> offlineList(const QString& oltIp,
                                                  const QDateTime& downBefore) = 0;
    // Removes the ONU only while it is still down since downBefore or
    // earlier, so that one back online since the list was read stays.
    virtual Result onuDelete(const OnuRef& onu, const QDateTime& downBefore) = 0;
    virtual Answer<TrafficSample> traffic(const OnuRef& onu) = 0;
    virtual Answer<QList<OnuSummary>> onusByVlan(const QString& oltIp, int vlan) = 0;
    // key: a whole MAC, its trailing octets ("01:0A"), or the tail of a
    // serial number. At most `limit` matches come back.
    virtual Answer<QList<OnuSummary>> findOnu(const QString& oltIp, const QString& key,
                                              int limit) = 0;
};

} // namespace oltd
