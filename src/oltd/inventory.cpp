#include "oltd/inventory.h"

#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QRegularExpression>

namespace oltd {

namespace {

const QString kSection = QStringLiteral("olt ");
// systemd's LoadCredential= name the unit file gives the secrets.
const QString kCredential = QStringLiteral("zelcrm-oltd-secrets");

core::ConfigError bad(const QString& section, const QString& key, const QString& file,
                      const QString& why) {
    return core::ConfigError(
        QStringLiteral("Setting [%1] %2 in %3 %4").arg(section, key, file, why));
}

// Where the secrets are: [oltd] secrets_file, "credential:NAME" for a
// systemd credential, or by default the unit's credential when it has one.
QString secretsPath(const core::Config& config, const QProcessEnvironment& env) {
    const QString credentials = env.value(QStringLiteral("CREDENTIALS_DIRECTORY"));
    QString path = config.value(QStringLiteral("oltd/secrets_file"));
    if (path.startsWith(QLatin1String("credential:"))) {
        if (credentials.isEmpty())
            throw bad(QStringLiteral("oltd"), QStringLiteral("secrets_file"), config.path(),
                      QStringLiteral("names a systemd credential, but the service was not "
                                     "started with credentials (LoadCredential=)"));
        return credentials + QLatin1Char('/') + path.mid(11);
    }
    if (path.isEmpty() && !credentials.isEmpty() &&
        QFileInfo::exists(credentials + QLatin1Char('/') + kCredential))
        return credentials + QLatin1Char('/') + kCredential;
    return path;
}

struct Reader {
    const core::Config& config;
    QString section; // "olt 10.40.1.1"
    const QHash<QString, QString>* secrets;
    QString secretsFile;

    QString key(const char* name) const { return section + QLatin1Char('/') + QLatin1String(name); }
    core::ConfigError bad(const char* name, const QString& why) const {
        return oltd::bad(section, QLatin1String(name), config.path(), why);
    }
    QString text(const char* name, const QString& fallback = {}) const {
        return config.value(key(name), fallback);
    }
    QString required(const char* name) const {
        const QString v = text(name);
        if (v.isEmpty())
            throw bad(name, QStringLiteral("is missing"));
        return v;
    }
    int number(const char* name, int fallback, int lowest, int highest) const {
        return config.number(key(name), fallback, lowest, highest);
    }
    QString secret(const char* name, bool required) const {
        const QString ref = text(name);
        if (ref.isEmpty()) {
            if (required)
                throw bad(name, QStringLiteral("is missing: it names the password's entry in "
                                               "the secrets file"));
            return {};
        }
        if (!secrets)
            throw bad(name, QStringLiteral("names the secret \"%1\", but no secrets file is set "
                                           "([oltd] secrets_file)")
                                .arg(ref));
        if (!secrets->contains(ref))
            throw bad(name, QStringLiteral("names the secret \"%1\", which %2 does not hold")
                                .arg(ref, secretsFile));
        return secrets->value(ref);
    }
};

OltEntry readEntry(const Reader& r, const QString& ip) {
    OltEntry e;
    e.ip = ip;
    e.name = r.text("name", ip);
    e.driver = r.required("driver");
    if (e.driver != QLatin1String("zte") && e.driver != QLatin1String("huawei") &&
        e.driver != QLatin1String("simulated"))
        throw r.bad("driver",
                    QStringLiteral("names an unknown driver \"%1\" (known: zte, huawei, simulated)")
                        .arg(e.driver));
    if (e.driver == QLatin1String("simulated"))
        return e;
    const QString transport = r.text("transport", QStringLiteral("ssh"));
    if (transport != QLatin1String("ssh") && transport != QLatin1String("telnet"))
        throw r.bad("transport", QStringLiteral("must be ssh or telnet"));
    SessionTarget& t = e.target;
    t.transport = transport == QLatin1String("ssh") ? TransportKind::Ssh : TransportKind::Telnet;
    t.host = r.text("address", ip);
    t.port = quint16(r.number("port", t.transport == TransportKind::Ssh ? 22 : 23, 1, 65535));
    t.user = r.required("user");
    t.password = r.secret("password", true);
    t.enablePassword = r.secret("enable_password", false);
    t.hostKeySha256 = r.text("host_key_sha256");
    if (t.transport == TransportKind::Ssh && t.hostKeySha256.isEmpty())
        throw r.bad("host_key_sha256",
                    QStringLiteral("is missing: pin the OLT's SSH host key (its SHA256 "
                                   "fingerprint, as ssh-keygen -l prints it)"));
    t.legacySsh = r.config.flag(r.key("legacy_ssh"), false);
    t.loginTimeout = std::chrono::seconds(r.number("login_timeout_seconds", 15, 1, 600));
    t.commandTimeout = std::chrono::seconds(r.number("command_timeout_seconds", 20, 1, 600));
    e.sessions = r.number("sessions", 1, 1, 16);
    const QString zone = r.text("time_zone");
    e.timeZone = zone.isEmpty() ? QTimeZone::systemTimeZone() : QTimeZone(zone.toUtf8());
    if (!e.timeZone.isValid())
        throw r.bad("time_zone", QStringLiteral("is not a time zone (as \"Asia/Kolkata\")"));
    return e;
}

} // namespace

const OltEntry* Inventory::find(const QString& ip) const {
    for (const OltEntry& e : olts)
        if (e.ip == ip.trimmed())
            return &e;
    return nullptr;
}

bool Inventory::uses(const QString& driver) const {
    return defaultDriver == driver || std::any_of(olts.begin(), olts.end(), [&](const OltEntry& e) {
               return e.driver == driver;
           });
}

QHash<QString, QString> readSecrets(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw core::ConfigError(QStringLiteral("The secrets file %1 cannot be read").arg(path));
    const auto open = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                      QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    if (file.permissions() & open)
        throw core::ConfigError(
            QStringLiteral("The secrets file %1 may be read or changed by users other than its "
                           "owner: allow its owner alone (chmod 600 %1)")
                .arg(path));
    QHash<QString, QString> secrets;
    int number = 0;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        ++number;
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            throw core::ConfigError(
                QStringLiteral("The secrets file %1, line %2, is not \"name = password\"")
                    .arg(path)
                    .arg(number));
        secrets.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return secrets;
}

Inventory readInventory(const core::Config& config, const QProcessEnvironment& env) {
    Inventory inventory;
    inventory.defaultDriver = config.value(QStringLiteral("oltd/default_driver"),
                                           config.value(QStringLiteral("driver/name")));
    if (!inventory.defaultDriver.isEmpty() && inventory.defaultDriver != QLatin1String("simulated"))
        throw bad(QStringLiteral("oltd"), QStringLiteral("default_driver"), config.path(),
                  QStringLiteral("names an unknown driver \"%1\" (known: simulated)")
                      .arg(inventory.defaultDriver));
    const QString secretsFile = secretsPath(config, env);
    QHash<QString, QString> secrets;
    if (!secretsFile.isEmpty())
        secrets = readSecrets(secretsFile);
    QStringList ips;
    for (const QString& key : config.keys()) {
        const QString section = key.section(QLatin1Char('/'), 0, 0);
        if (section.startsWith(kSection) && !ips.contains(section.mid(kSection.size())))
            ips.append(section.mid(kSection.size()));
    }
    for (const QString& ip : ips) {
        const Reader r{config, kSection + ip, secretsFile.isEmpty() ? nullptr : &secrets,
                       secretsFile};
        if (QHostAddress(ip).isNull())
            throw core::ConfigError(QStringLiteral("Section [%1] in %2: \"%3\" is not an IP "
                                                   "address")
                                        .arg(r.section, config.path(), ip));
        inventory.olts.append(readEntry(r, ip));
    }
    return inventory;
}

} // namespace oltd
