#include "provisioning/router_script.h"

#include "core/config.h"

#include <QStringList>

namespace provisioning {

RouterAccounts routerAccounts(const core::Config& config) {
    return {config.required(QStringLiteral("accounts/router_script_user")),
            config.required(QStringLiteral("accounts/router_script_password")),
            config.required(QStringLiteral("accounts/router_admin_password"))};
}

QString routerScript(const QString& vlan, const QString& indicator,
                     const RouterAccounts& accounts) {
    const QString name = indicator + QLatin1Char('-') + vlan;
    // The blank lines around the commands and the doubled blanks inside two
    // of them are what the procedure has always produced; operators and their
    // notes rely on the text looking exactly like this.
    const QStringList lines{
        QString(),
        QStringLiteral("/user add name=") + accounts.supportUser + QStringLiteral(" password=") +
            accounts.supportPassword + QStringLiteral(" group=full"),
        QStringLiteral("/interface vlan remove 0"),
        QStringLiteral("/interface vlan add interface=wlan1 name=inner-vlan vlan-id=") + vlan,
        QStringLiteral("/interface pppoe-client set interface=inner-vlan 0"),
        QStringLiteral("/tool romon set enabled=yes"),
        QStringLiteral("/tool mac-server set allowed-interface-list=all"),
        QStringLiteral("/ip dns set allow-remote-requests=no"),
        QStringLiteral("/user set [find name=admin] password=") + accounts.adminPassword +
            QStringLiteral("  group=write"),
        QStringLiteral("/system identity set name=") + name,
        QStringLiteral("/interface wireless set radio-name=") + name + QStringLiteral("  0"),
        QStringLiteral("/interface wireless set mode=station-wds 0"),
        QString(),
        QString(),
    };
    const QString crlf = QStringLiteral("\r\n");
    return lines.join(crlf) + crlf;
}

QString noInnerVlanHeldBy(const QString& userId) {
    return QStringLiteral("NO INNER VLAN HELD BY ") + userId;
}

bool isFreePairMark(const QString& userId) {
    QString id = userId;
    while (id.endsWith(QLatin1Char(' ')))
        id.chop(1);
    return id.compare(QLatin1String("NA"), Qt::CaseInsensitive) == 0;
}

} // namespace provisioning
