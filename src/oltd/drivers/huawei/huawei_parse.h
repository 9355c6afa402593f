#pragma once

#include "oltd/driver.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QTimeZone>
#include <optional>

// Readers of what a Huawei SmartAX OLT prints. Each takes the device's answer
// as the session hands it over (echo, prompt and pager gone) and returns
// nothing when the answer is not the expected form or is cut short: a wrong
// value is worse than no value.
namespace oltd::huawei {

// Frame/slot/port.
struct Fsp {
    int frame = -1;
    int slot = -1;
    int port = -1;
    QString text() const;  // "0/1/2"
    QString board() const; // "0/1"
    bool operator==(const Fsp&) const = default;
};

// "0/1/2", "0/ 1/2", "0 /1 /2": the blanks inside vary by table.
std::optional<Fsp> parseFsp(const QString& text);

// What the device said went wrong, when it did: a "Failure:" text (wrapped
// lines joined), a caret error ("% Unknown command, ..."), "System is busy".
struct DeviceFailure {
    Code code = Code::DeviceError;
    QString text;
};
std::optional<DeviceFailure> deviceFailure(const QString& answer);

// "485754439C2E71A4" -> "HWTC9C2E71A4"; the readable forms
// ("HWTC9C2E71A4", "HWTC-9C2E71A4") come back without the dash. Empty when
// it is neither.
QString readableSerial(const QString& serial);
// "HWTC9C2E71A4" -> "485754439C2E71A4".
QString hexSerial(const QString& readable);

// "41 day(s), 6 hour(s), 12 minute(s), 9 second(s)" in seconds.
std::optional<qint64> parseDuration(const QString& text);
// "2026-11-02 08:14:37+05:30", "2026-11-02 08:14:37", "02/11/2026 08:14:37";
// without an offset the time is the OLT's zone's. "-" gives an invalid time.
std::optional<QDateTime> parseTime(const QString& text, const QTimeZone& zone);

// display ont info (one ONT, by place or by serial).
struct OntInfo {
    Fsp fsp;
    int ontId = -1;
    QString runState; // online, offline
    QString lastDownCause;
    QDateTime lastDownTime; // invalid when never down
    int distance = 0;       // 0 when the device shows none
    qint64 uptimeSeconds = 0;
    QString serial; // readable: "HWTC9C2E71A4"
    QString description;
    bool tr069 = false; // "Tr069 management : Enable"
};
std::optional<OntInfo> parseOntInfo(const QString& answer, const QTimeZone& zone);

// display ont optical-info «port» «ont».
struct Optics {
    double rx = 0;
    double tx = 0;
    double oltRx = 0;
};
std::optional<Optics> parseOptics(const QString& answer);

// One ONT of display ont info summary.
struct SummaryRow {
    int ontId = -1;
    QString runState;
    QDateTime lastDownTime; // invalid when never down
    QString lastDownCause;
    QString serial; // readable
    QString type;
};
struct PortSummary {
    Fsp fsp;
    QList<SummaryRow> onts;
};
std::optional<PortSummary> parseSummary(const QString& answer, const QTimeZone& zone);

// One block of display ont wan-info.
struct WanInfo {
    int index = 0;
    QString serviceType;    // Internet, Tr069, Voip
    QString connectionType; // IP routed, IP bridged
    QString accessType;     // PPPoE, DHCP, "-"
    int vlan = 0;
    QString mac; // digits; empty when none
};
std::optional<QList<WanInfo>> parseWanInfo(const QString& answer);

// One SSID of display ont wlan-info.
struct Ssid {
    int index = 0;
    QString name;
    QString standard;
    Band band = Band::Ghz24;
};
std::optional<QList<Ssid>> parseWlanInfo(const QString& answer);

// An ONT's lines of display current-configuration ont.
struct OntConfig {
    QString wanMode; // PPPOE, DHCP; empty when no ipconfig line
    QString wanUser;
    QString wanPassword;
    int wanVlan = 0;
    int sipProfile = -1; // -1: no if-sip line for the phone port
    QString sipUser;
    QString sipPassword;
};
std::optional<OntConfig> parseOntConfig(const QString& answer, int port, int ontId);

// One row of display service-port.
struct ServicePort {
    int index = 0;
    int vlan = 0;
    Fsp fsp;
    int ontId = -1;
    int flowPara = 0; // the user VLAN of a vlan flow; 0 when none
    QString state;    // up, down
};
// An answer of "No service virtual port can be operated" is an empty list.
std::optional<QList<ServicePort>> parseServicePorts(const QString& answer);

// One row of display location / display mac-address.
struct MacRow {
    QString mac; // digits
    Fsp fsp;
    int ontId = -1;
    int vlan = 0;
};
std::optional<QList<MacRow>> parseMacTable(const QString& answer);

// display statistics ont-eth: bytes received from and sent to the
// subscriber's side of the ONT port.
struct PortCounters {
    qint64 received = 0;
    qint64 sent = 0;
};
std::optional<PortCounters> parseCounters(const QString& answer);

// display time.
std::optional<QDateTime> parseOltTime(const QString& answer, const QTimeZone& zone);

// "Number of ONTs that can be deleted: 1, success: 1": whether one went.
bool ontDeleted(const QString& answer);

} // namespace oltd::huawei
