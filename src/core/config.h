#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <stdexcept>

namespace core {

// A key that a feature needs and the configuration lacks, or a value that
// cannot be read. The message names the key and the file.
class ConfigError : public std::runtime_error {
public:
    explicit ConfigError(const QString& message);
    QString message() const { return QString::fromStdString(what()); }
};

// The client's settings, read once at start from one INI file and read-only
// afterwards. Keys are written "section/key" ("database/backend").
class Config {
public:
    Config() = default;

    // Reads the INI file; a file that does not exist or cannot be parsed is a
    // ConfigError. A file that other users may read earns a warning on stderr,
    // since it holds passwords.
    static Config load(const QString& path);

    // Builds a configuration from values in memory (tests, tools).
    static Config fromValues(const QHash<QString, QString>& values,
                             const QString& path = QStringLiteral("(in memory)"));

    // --config FILE, else $ZELCRM_CONFIG, else ~/.config/zelcrm/zelcrm.ini.
    static QString resolvePath(const QStringList& arguments);

    QString path() const { return m_path; }
    bool has(const QString& key) const;
    // Every key, "section/key" in lower case, sorted.
    QStringList keys() const;

    // The value of a key the caller cannot work without: throws ConfigError
    // "Missing setting [section] key in FILE" when absent or empty.
    QString required(const QString& key) const;
    QString value(const QString& key, const QString& fallback = {}) const;
    int number(const QString& key, int fallback) const;
    // The same, refused with a clear error outside lowest..highest.
    int number(const QString& key, int fallback, int lowest, int highest) const;
    bool flag(const QString& key, bool fallback) const;

    // [app]
    QString appTitle() const;
    int waitLimitSeconds() const;

private:
    QString m_path;
    QHash<QString, QString> m_values;
};

// True when the file can be read by users other than its owner.
bool readableByOthers(const QString& path);

} // namespace core
