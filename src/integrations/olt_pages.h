#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

class QWidget;

namespace core {
class Config;
}
namespace ui {
class Dialogs;
}

namespace integrations {

class WebBrowser;

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

// Whether the page shown is the OLT's own login page "https://«address»/"
// itself: not another host, port, scheme or path that a redirect led to.
bool isOltLoginPage(const QUrl& shown, const QString& address);

// Signs in on an OLT's own web page "https://«address»" in the screen's
// browser: the account of [accounts] olt_web_user and olt_web_password goes
// into the page's first form ("User", "pass") and the form is sent, each page
// waited for up to the browser's limit while the screen's close is held back.
// A self-signed certificate of that host is accepted only when
// [services] olt_trust_self_signed says so. A missing setting is shown and
// nothing is opened; a page that does not load ends the sign-in. A page that
// loaded at any other address gets no account: the operator is told (under
// `title`) which address the browser shows.
void signInToOlt(QWidget* screen, WebBrowser& page, const QString& address,
                 const core::Config& config, ui::Dialogs& dialogs, const QString& title);

} // namespace integrations
