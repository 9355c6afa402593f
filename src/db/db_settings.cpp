#include "db/db_settings.h"

#include "core/config.h"
#include "db/error.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QStringList>

namespace db {

namespace {

const QString serverMark = QStringLiteral("«server»");

QString braced(const QString& v) {
    QString inner = v;
    inner.replace(QLatin1Char('}'), QStringLiteral("}}"));
    return QLatin1Char('{') + inner + QLatin1Char('}');
}

// ODBC values that hold ';', braces or blanks at an end are braced, with
// '}' doubled, so a password can never end its key early.
QString odbcValue(const QString& v) {
    const bool plain = !v.contains(QLatin1Char(';')) && !v.contains(QLatin1Char('{')) &&
                       !v.contains(QLatin1Char('}')) && v.trimmed() == v;
    return plain ? v : braced(v);
}

// "Key = value;..." with keys matched without regard to case or blanks.
QHash<QString, QString> providerKeys(const QString& text) {
    QHash<QString, QString> keys;
    const QStringList parts = text.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        QString key = part.left(eq).simplified().toLower();
        keys.insert(key, part.mid(eq + 1).trimmed());
    }
    return keys;
}

QString firstOf(const QHash<QString, QString>& keys, std::initializer_list<const char*> names) {
    for (const char* n : names) {
        const QString v = keys.value(QString::fromLatin1(n));
        if (!v.isEmpty())
            return v;
    }
    return {};
}

const QStringList sslModes = {QStringLiteral("disable"),   QStringLiteral("allow"),
                              QStringLiteral("prefer"),    QStringLiteral("require"),
                              QStringLiteral("verify-ca"), QStringLiteral("verify-full")};

// The password file holds the password on its first line. It must be the
// owner's alone: a password others can read is refused, not used.
QString readPasswordFile(const QString& path, const QString& configPath) {
    const QString where =
        QStringLiteral("Setting [database] pg_password_file in %1: ").arg(configPath);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw core::ConfigError(where +
                                QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    if (core::readableByOthers(path))
        throw core::ConfigError(where + QStringLiteral("%1 can be read by other users; make it "
                                                       "the owner's alone (chmod 600 %1)")
                                            .arg(path));
    QString password = QString::fromUtf8(file.readLine(4096));
    while (password.endsWith(QLatin1Char('\n')) || password.endsWith(QLatin1Char('\r')))
        password.chop(1);
    return password;
}

void readPostgreSql(const core::Config& config, DbSettings& s) {
    s.backend = Backend::PostgreSql;
    s.primaryServer = config.required(QStringLiteral("database/primary_server"));
    s.secondaryServer = config.value(QStringLiteral("database/secondary_server"));
    s.statusServer = config.value(QStringLiteral("database/status_server"));
    s.pgDatabase = config.required(QStringLiteral("database/pg_database"));
    s.pgSecondaryDatabase =
        config.value(QStringLiteral("database/pg_secondary_database"), s.pgDatabase);
    s.pgUser = config.required(QStringLiteral("database/pg_user"));
    s.pgSslMode = config.value(QStringLiteral("database/pg_sslmode"), s.pgSslMode);
    if (!sslModes.contains(s.pgSslMode))
        throw core::ConfigError(QStringLiteral("Setting [database] pg_sslmode in %1 must be one "
                                               "of %2")
                                    .arg(config.path(), sslModes.join(QStringLiteral(", "))));
    const QString passwordFile = config.value(QStringLiteral("database/pg_password_file"));
    if (!passwordFile.isEmpty())
        s.pgPassword = readPasswordFile(passwordFile, config.path());
}

} // namespace

ServerAddress serverAddress(const QString& text) {
    const QString t = text.trimmed();
    static const QRegularExpression bracketed(QStringLiteral("^\\[([^\\]]+)\\](?::(\\d+))?$"));
    if (const auto m = bracketed.match(t); m.hasMatch())
        return {m.captured(1), m.captured(2).toInt()};
    // A bare IPv6 address has several colons and no port.
    static const QRegularExpression withPort(QStringLiteral("^([^:]+):(\\d+)$"));
    if (const auto m = withPort.match(t); m.hasMatch())
        return {m.captured(1), m.captured(2).toInt()};
    return {t, 0};
}

QString odbcConnectionString(const QString& providerText, const QString& server,
                             const QString& driver, bool encrypt) {
    const auto keys = providerKeys(providerText);
    QString host = firstOf(keys, {"data source", "server", "address"});
    host.replace(serverMark, server);
    const bool freeTds = driver.contains(QLatin1String("FreeTDS"), Qt::CaseInsensitive);

    QStringList out;
    // Driver names with blanks are braced by custom ("{ODBC Driver 18 for SQL Server}").
    out << QStringLiteral("Driver=") +
               (driver.contains(QLatin1Char(' ')) ? braced(driver) : odbcValue(driver));
    // FreeTDS wants the port apart; other drivers take "host,port".
    const qsizetype comma = host.indexOf(QLatin1Char(','));
    if (freeTds && comma >= 0) {
        out << QStringLiteral("Server=") + odbcValue(host.left(comma).trimmed());
        out << QStringLiteral("Port=") + odbcValue(host.mid(comma + 1).trimmed());
    } else {
        out << QStringLiteral("Server=") + odbcValue(host);
    }
    const QString catalog = firstOf(keys, {"initial catalog", "database"});
    if (!catalog.isEmpty())
        out << QStringLiteral("Database=") + odbcValue(catalog);
    out << QStringLiteral("UID=") + odbcValue(firstOf(keys, {"user id", "uid", "user"}));
    out << QStringLiteral("PWD=") + odbcValue(firstOf(keys, {"password", "pwd"}));
    const QString packet = firstOf(keys, {"packet size"});
    if (!packet.isEmpty())
        out << QStringLiteral("Packet Size=") + odbcValue(packet);
    if (freeTds) {
        out << QStringLiteral("TDS_Version=7.4") << QStringLiteral("ClientCharset=UTF-8");
        if (encrypt)
            out << QStringLiteral("Encryption=require");
    } else {
        out << QStringLiteral("AutoTranslate=yes");
        out << (encrypt ? QStringLiteral("Encrypt=yes") : QStringLiteral("Encrypt=no"));
    }
    return out.join(QLatin1Char(';'));
}

DbSettings DbSettings::fromConfig(const core::Config& config) {
    DbSettings s;
    s.configPath = config.path();
    const QString backend =
        config.value(QStringLiteral("database/backend"), QStringLiteral("sqlite"));
    if (backend.compare(QLatin1String("sqlserver"), Qt::CaseInsensitive) == 0) {
        s.backend = Backend::SqlServer;
        s.connectionText = config.required(QStringLiteral("database/connection"));
        s.primaryServer = config.required(QStringLiteral("database/primary_server"));
        s.secondaryServer = config.value(QStringLiteral("database/secondary_server"));
        s.statusServer = config.value(QStringLiteral("database/status_server"));
        s.odbcDriver = config.value(QStringLiteral("database/odbc_driver"), s.odbcDriver);
        s.encrypt = config.flag(QStringLiteral("database/encrypt"), false);
    } else if (backend.compare(QLatin1String("postgresql"), Qt::CaseInsensitive) == 0) {
        readPostgreSql(config, s);
    } else if (backend.compare(QLatin1String("sqlite"), Qt::CaseInsensitive) == 0) {
        s.backend = Backend::Sqlite;
        s.sqlitePath = config.required(QStringLiteral("database/sqlite_path"));
        s.secondarySqlitePath = config.value(QStringLiteral("database/secondary_sqlite_path"));
    } else {
        throw core::ConfigError(
            QStringLiteral("Setting [database] backend in %1 must be sqlite, sqlserver or "
                           "postgresql")
                .arg(config.path()));
    }
    return s;
}

DbSettings statusServerSettings(const DbSettings& settings) {
    DbSettings status = settings;
    if (settings.backend == Backend::Sqlite)
        return status;
    if (settings.statusServer.trimmed().isEmpty())
        throw Error(QStringLiteral("Setting [database] status_server in %1 is missing")
                        .arg(settings.configPath));
    status.primaryServer = settings.statusServer;
    status.secondaryServer.clear();
    return status;
}

} // namespace db
