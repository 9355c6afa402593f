#include "integrations/olt_pages.h"

#include "core/config.h"
#include "integrations/web_browser.h"
#include "ui/action_policy.h"
#include "ui/dialogs.h"
#include "ui/waiting_action.h"

#include <array>

namespace integrations {

namespace {

struct PageKeys {
    OltPage page;
    const char* name;
    std::initializer_list<const char*> keys;
};

const std::array<PageKeys, 14> kPages{{
    {OltPage::OnuStatus, "onu_status.php", {"ip", "mac"}},
    {OltPage::OnuWanStatus, "onu_wan_status.php", {"ip", "mac"}},
    {OltPage::OnuWanConfig,
     "onu_wan_config.php",
     {"ip", "mac", "bb_id", "bb_inner_vlan", "bb_pas", "bb_mtu"}},
    {OltPage::OnuPhoneStatus, "onu_phone_status.php", {"ip", "mac"}},
    {OltPage::OnuPhoneConfig,
     "onu_phone_config.php",
     {"ip", "mac", "voip_vlan", "pas", "sip", "phone"}},
    {OltPage::OnuWifiStatus, "onu_wifi_status.php", {"ip", "mac"}},
    {OltPage::OnuWifiConfig, "onu_wifi_config.php", {"ip", "mac", "name", "pas"}},
    {OltPage::OnuWifiConfig5, "onu_wifi_config5.php", {"ip", "mac", "name", "pas"}},
    {OltPage::OnuRestart, "onu_restart.php", {"ip", "mac"}},
    {OltPage::OnuReset, "onu_reset.php", {"ip", "mac"}},
    {OltPage::OnuOffline, "onu_offline.php", {"ip"}},
    {OltPage::Usage, "usage.php", {"ip", "mac"}},
    {OltPage::VlanCheck, "vlan_check.php", {"ip", "vlan"}},
    {OltPage::OnuMac, "onu_mac.php", {"ip", "mac"}},
}};

// The same page however it is written: no path is the root, 443 is https's
// own port.
QUrl comparable(QUrl url) {
    if (url.path().isEmpty())
        url.setPath(QStringLiteral("/"));
    if (url.scheme() == QLatin1String("https") && url.port() == 443)
        url.setPort(-1);
    return url;
}

QUrl oltLoginUrl(const QString& address) {
    return QUrl(QStringLiteral("https://") + address);
}

const PageKeys& entry(OltPage page) {
    for (const PageKeys& p : kPages)
        if (p.page == page)
            return p;
    return kPages.front();
}

} // namespace

QString oltPageName(OltPage page) {
    return QString::fromLatin1(entry(page).name);
}

QStringList oltPageKeys(OltPage page) {
    QStringList keys;
    for (const char* key : entry(page).keys)
        keys << QString::fromLatin1(key);
    return keys;
}

QUrl oltPageUrl(const QString& server, OltPage page, const QStringList& values) {
    const QStringList keys = oltPageKeys(page);
    QString text = QStringLiteral("http://") + server + QStringLiteral("/olt/") + oltPageName(page);
    for (qsizetype i = 0; i < keys.size(); ++i)
        text += (i == 0 ? QLatin1Char('?') : QLatin1Char('&')) + keys.at(i) + QLatin1Char('=') +
                QString::fromLatin1(QUrl::toPercentEncoding(values.value(i)));
    return QUrl(text, QUrl::StrictMode);
}

bool isOltLoginPage(const QUrl& shown, const QString& address) {
    const QUrl olt = oltLoginUrl(address);
    return olt.isValid() && !olt.host().isEmpty() && comparable(shown) == comparable(olt);
}

void signInToOlt(QWidget* screen, WebBrowser& page, const QString& address,
                 const core::Config& config, ui::Dialogs& dialogs, const QString& title) {
    const auto user = ui::requiredSetting(dialogs, config, QStringLiteral("accounts/olt_web_user"));
    const auto password =
        user ? ui::requiredSetting(dialogs, config, QStringLiteral("accounts/olt_web_password"))
             : std::nullopt;
    if (!password)
        return;
    bool trustSelfSigned = false;
    if (!ui::stopOnError(dialogs, nullptr, [&] {
            trustSelfSigned = config.flag(QStringLiteral("services/olt_trust_self_signed"), false);
        }))
        return;
    const ui::WaitingAction wait(screen);
    const QUrl olt = oltLoginUrl(address);
    page.setTrustedSelfSignedHost(trustSelfSigned ? olt.host() : QString());
    // A browser gone with its screen ends the wait with false, so the page is
    // not touched again.
    if (!page.navigateAndWait(olt))
        return;
    // The account is the OLT's: a redirect may have led anywhere, and a page
    // elsewhere must not receive it.
    const QUrl shown = page.url();
    if (!isOltLoginPage(shown, address)) {
        dialogs.message(QStringLiteral("OLT LOGIN NOT FILLED IN: THE PAGE SHOWN IS %1, NOT %2")
                            .arg(shown.toDisplayString(), comparable(olt).toDisplayString()),
                        title, ui::Icon::Exclamation);
        return;
    }
    if (page.fillFirstForm(
            {{QStringLiteral("User"), *user}, {QStringLiteral("pass"), *password}}) &&
        page.submitFirstForm())
        page.waitUntilLoaded();
}

} // namespace integrations
