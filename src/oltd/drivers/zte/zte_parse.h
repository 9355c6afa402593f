#pragma once

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QTimeZone>
#include <optional>

// Readers of what a ZTE ZXAN (C300/C320) prints. Each takes the answer of one
// command (echo and prompt already removed) and returns nothing when the text
// is not the form it knows: a garbled or cut answer must never become a
// wrong value.
namespace oltd::zte {

// An ONU as the OLT addresses it: PON port "1/2/3" and ONU id.
struct OnuPlace {
    QString port;
    int onuId = -1;
    bool operator==(const OnuPlace&) const = default;
};

// "gpon-onu_1/2/3:7", also with a virtual port after it ("...:7:1").
std::optional<OnuPlace> onuPlace(const QString& name);
QString onuName(const OnuPlace& place);   // "gpon-onu_1/2/3:7"
QString portName(const QString& port);    // "gpon-olt_1/2/3"
QString placeText(const OnuPlace& place); // "1/2/3:7", as lists show it

// What the device says when it does not do what it was asked.
enum class Refusal {
    None,           // no error in the answer (notices are not errors)
    NotFound,       // "No related information to show", "ONU does not exist"
    UnknownCommand, // "%Error 20200: Invalid input", "% Unknown command": not on this firmware
    Error,          // any other %Error, %Code, "% Parameter error", "Failure:", busy
};
struct DeviceAnswer {
    Refusal refusal = Refusal::None;
    QString text; // the device's error line
};
DeviceAnswer judge(const QString& answer);

// One session of the ONU in the detail-info history.
struct Session {
    QDateTime authpass; // invalid: never
    QDateTime offline;  // invalid: still up
    QString cause;
};

struct DetailInfo {
    OnuPlace place;
    QString type;  // ONU type (model profile), "F670L"
    QString phase; // "working", "LOS", "DyingGasp", ...
    QString serial;
    int distanceMetres = 0;
    qint64 uptimeSeconds = 0;
    QList<Session> history;
};
// Times are the OLT's wall clock, read in `zone`.
std::optional<DetailInfo> parseDetailInfo(const QString& text, const QTimeZone& zone);

// The latest session (by authpass time); none when the history is empty.
std::optional<Session> latestSession(const DetailInfo& info);
// The cause of the latest session that ended; empty when none did.
QString lastDownCause(const DetailInfo& info);

// "ONLINE", "LOS" or "OFFLINE"; empty for a phase this driver does not know.
QString stateOfPhase(const QString& phase);

// Optical levels in dBm; none where the device prints N/A.
struct Optics {
    std::optional<double> oltRx, onuTx, oltTx, onuRx;
};
std::optional<Optics> parseAttenuation(const QString& text);

struct StateRow {
    OnuPlace place;
    QString admin, omcc, o7, phase;
};
std::optional<QList<StateRow>> parseOnuStates(const QString& text);

struct WanStatus {
    int id = 0;
    QString mode; // as printed: "PPPoE", "DHCP", ...
    QString user, password, status;
    int cvlan = 0;
    QString macDigits; // empty when not shown
};
std::optional<QList<WanStatus>> parseWanStatus(const QString& text);

// The ONU's management configuration on the OLT ("show onu running config").
struct OnuConfig {
    struct Wan {
        int id = 0;
        QString mode, user, password, profile;
        int host = 0;
    };
    struct Service {
        QString name;
        int vlan = 0;
    };
    struct Sip {
        QString port, profile, userId, user, password;
    };
    QList<Wan> wans;
    QList<Service> services;
    QMap<QString, QString> ssidNames; // radio interface ("wifi_0/1") -> name
    QMap<QString, QString> ssidKeys;  // radio interface -> WPA key
    QList<Sip> sips;
};
std::optional<OnuConfig> parseOnuConfig(const QString& text);

// The VLAN of a WAN profile: the service line carrying the number the
// profile is named after, or the only service line; 0 when it cannot tell.
int wanVlan(const OnuConfig& config, const QString& profile);

// Per phone port ("pots_0/1") its line state as printed ("Registered").
struct PhoneLine {
    QString port, state;
};
std::optional<QList<PhoneLine>> parsePhoneLines(const QString& text);
bool isRegistered(const QString& lineState);

struct Counters {
    qint64 inBytes = 0;  // from the subscriber: the ONU's upstream
    qint64 outBytes = 0; // towards the subscriber
};
std::optional<Counters> parseCounters(const QString& text);

// The ONUs among a VLAN's member ports ("show vlan 2105").
std::optional<QList<OnuPlace>> parseVlanMembers(const QString& text);

struct MacRow {
    QString macDigits;
    int vlan = 0;
    QString port;                // as printed: "gpon-onu_1/2/3:7", "xgei_1/21/1"
    std::optional<OnuPlace> onu; // none for uplinks
};
std::optional<QList<MacRow>> parseMacTable(const QString& text);

// "show gpon onu by sn": where the serial sits.
std::optional<OnuPlace> parseSearchResult(const QString& text);

// "show clock": "17:02:44 IST Wed Dec 9 2026", or "2026-12-09 17:02:44".
std::optional<QDateTime> parseClock(const QString& text, const QTimeZone& zone);

// A word that can be sent as one command-line token: no blanks, no control
// characters, no "?" (the CLI answers it with help instead of taking it).
bool isCliToken(const QString& text);

} // namespace oltd::zte
