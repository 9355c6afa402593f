#include "sandbox/settings.h"

namespace sandbox {

namespace {

quint16 port(const core::Config& config, const QString& key) {
    return quint16(config.number(key, 0, 0, 65535));
}

} // namespace

Settings Settings::fromConfig(const core::Config& config) {
    Settings s;
    const QString addressKey = QStringLiteral("sandbox/listen_address");
    s.listenAddress = QHostAddress(config.value(addressKey, QStringLiteral("127.0.0.1")));
    if (s.listenAddress.isNull())
        throw core::ConfigError(QStringLiteral("Setting [sandbox] listen_address in %1 is not an "
                                               "IP address")
                                    .arg(config.path()));
    s.httpPort = port(config, QStringLiteral("sandbox/http_port"));
    s.httpsPort = port(config, QStringLiteral("sandbox/https_port"));
    s.smtpPort = port(config, QStringLiteral("sandbox/smtp_port"));
    s.proxyPort = port(config, QStringLiteral("sandbox/proxy_port"));
    s.dataFolder = config.required(QStringLiteral("sandbox/data_folder"));
    s.clientDb = config.required(QStringLiteral("sandbox/client_db"));
    s.oltService = config.value(QStringLiteral("sandbox/olt_service"));
    Accounts& a = s.accounts;
    const std::pair<const char*, QString*> keys[] = {
        {"accounts/sms_user", &a.smsUser},
        {"accounts/sms_password", &a.smsPassword},
        {"accounts/message_api_instance", &a.messageInstance},
        {"accounts/message_api_token", &a.messageToken},
        {"accounts/olt_web_user", &a.oltWebUser},
        {"accounts/olt_web_password", &a.oltWebPassword}};
    for (const auto& [key, value] : keys)
        *value = config.required(QString::fromLatin1(key));
    a.smtpUser = config.value(QStringLiteral("accounts/smtp_user"));
    a.smtpPassword = config.value(QStringLiteral("accounts/smtp_password"));
    return s;
}

} // namespace sandbox
