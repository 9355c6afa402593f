#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace integrations {

// The pages of the OLT management web service (zelcrm-oltd). Every screen
// builds their addresses here, so a page's keys and their order live in one
// place.
enum class OltPage {
    OnuStatus,
    OnuWanStatus,
    OnuWanConfig,
    OnuPhoneStatus,
    OnuPhoneConfig,
    OnuWifiStatus,
    OnuWifiConfig,
    OnuWifiConfig5,
    OnuRestart,
    OnuReset,
    OnuOffline,
    Usage,
    VlanCheck,
    OnuMac,
};

QString oltPageName(OltPage page);     // "onu_status.php"
QStringList oltPageKeys(OltPage page); // "ip", "mac", ... in the order they are sent

// "http://«server»/olt/«page»?«key»=«value»&..." with the page's keys in
// order and `values` in the same order, each percent-encoded so that a "&",
// "+" or blank in a value cannot change the query. Missing values go as
// empty ones; extra values are ignored.
QUrl oltPageUrl(const QString& server, OltPage page, const QStringList& values);

} // namespace integrations
