#include "config.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QSettings>
#include <cstdio>

namespace core {

ConfigError::ConfigError(const QString& message)
    : std::runtime_error(message.toStdString()) {}

namespace {

QString sectionOf(const QString& key) {
    return key.section(QLatin1Char('/'), 0, 0);
}
QString nameOf(const QString& key) {
    return key.section(QLatin1Char('/'), 1);
}

} // namespace

Config Config::load(const QString& path) {
    if (!QFileInfo::exists(path))
        throw ConfigError(QStringLiteral("Configuration file %1 not found").arg(path));
    QSettings ini(path, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError)
        throw ConfigError(QStringLiteral("Configuration file %1 cannot be read").arg(path));
    if (readableByOthers(path))
        std::fprintf(stderr,
                     "warning: %s can be read by other users; it holds passwords (chmod 600)\n",
                     qPrintable(path));
    QHash<QString, QString> values;
    const QStringList keys = ini.allKeys();
    for (const QString& key : keys) {
        const QVariant v = ini.value(key);
        // An unquoted value with commas reads as a list; keep it as written.
        values.insert(key.toLower(), v.typeId() == QMetaType::QStringList
                                         ? v.toStringList().join(QLatin1Char(','))
                                         : v.toString());
    }
    return fromValues(values, path);
}

Config Config::fromValues(const QHash<QString, QString>& values, const QString& path) {
    Config c;
    c.m_path = path;
    for (auto it = values.begin(); it != values.end(); ++it)
        c.m_values.insert(it.key().toLower(), it.value().trimmed());
    return c;
}

QString Config::resolvePath(const QStringList& arguments) {
    const qsizetype at = arguments.indexOf(QStringLiteral("--config"));
    if (at >= 0 && at + 1 < arguments.size())
        return arguments.at(at + 1);
    for (const QString& a : arguments)
        if (a.startsWith(QStringLiteral("--config=")))
            return a.mid(9);
    const QString fromEnv =
        QProcessEnvironment::systemEnvironment().value(QStringLiteral("ZELCRM_CONFIG"));
    if (!fromEnv.isEmpty())
        return fromEnv;
    return QDir::homePath() + QStringLiteral("/.config/zelcrm/zelcrm.ini");
}

bool Config::has(const QString& key) const {
    return !m_values.value(key.toLower()).isEmpty();
}

QString Config::required(const QString& key) const {
    const QString v = m_values.value(key.toLower());
    if (v.isEmpty())
        throw ConfigError(QStringLiteral("Missing setting [%1] %2 in %3")
                              .arg(sectionOf(key), nameOf(key), m_path));
    return v;
}

QString Config::value(const QString& key, const QString& fallback) const {
    const QString v = m_values.value(key.toLower());
    return v.isEmpty() ? fallback : v;
}

int Config::number(const QString& key, int fallback) const {
    const QString v = m_values.value(key.toLower());
    if (v.isEmpty())
        return fallback;
    bool ok = false;
    const int n = v.toInt(&ok);
    if (!ok)
        throw ConfigError(QStringLiteral("Setting [%1] %2 in %3 must be a whole number")
                              .arg(sectionOf(key), nameOf(key), m_path));
    return n;
}

int Config::number(const QString& key, int fallback, int lowest, int highest) const {
    const int n = number(key, fallback);
    if (n < lowest || n > highest)
        throw ConfigError(
            QStringLiteral("Setting [%1] %2 in %3 must be a whole number from %4 to %5")
                .arg(sectionOf(key), nameOf(key), m_path)
                .arg(lowest)
                .arg(highest));
    return n;
}

bool Config::flag(const QString& key, bool fallback) const {
    const QString v = m_values.value(key.toLower()).toLower();
    if (v.isEmpty())
        return fallback;
    if (v == QLatin1String("true") || v == QLatin1String("yes") || v == QLatin1String("1"))
        return true;
    if (v == QLatin1String("false") || v == QLatin1String("no") || v == QLatin1String("0"))
        return false;
    throw ConfigError(QStringLiteral("Setting [%1] %2 in %3 must be true or false")
                          .arg(sectionOf(key), nameOf(key), m_path));
}

QString Config::appTitle() const {
    return value(QStringLiteral("app/title"), QStringLiteral("ZEL CRM"));
}

int Config::waitLimitSeconds() const {
    // Beyond an hour the limit stops being one: a timer cannot hold much
    // more than 24 days, and nobody waits an hour on a page.
    return number(QStringLiteral("app/wait_limit_seconds"), 20, 1, 3600);
}

QStringList Config::keys() const {
    QStringList list = m_values.keys();
    list.sort();
    return list;
}

bool readableByOthers(const QString& path) {
    return QFile::permissions(path).testFlag(QFileDevice::ReadOther);
}

} // namespace core
