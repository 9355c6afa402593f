#pragma once

#include <QString>

namespace core {
class Config;
}

namespace db {

enum class Backend { Sqlite, SqlServer, PostgreSql };

// What a check-then-write transaction checks (ScreenDb::claim): a subscriber
// id (registration, its inner VLAN pair, a complaint logged), a voice IP
// address given to a subscriber, a voice number given an address.
enum class Claim { SubscriberId = 1, VoiceIp = 2, VoiceNumber = 3 };

// Where the screens' connections go, read once from [database].
struct DbSettings {
    Backend backend = Backend::Sqlite;
    QString sqlitePath;          // sqlite: the main database file
    QString secondarySqlitePath; // sqlite: the file that stands for the secondary server
    QString connectionText;      // sqlserver: provider-form connection text with «server»
    QString primaryServer;
    QString secondaryServer;
    QString statusServer;
    QString odbcDriver = QStringLiteral("FreeTDS");
    bool encrypt = false;
    // sqlserver: a whole ODBC connection string for the primary server, used
    // as given instead of the one built from the connection text. Nothing in
    // the configuration sets it; it lets the ODBC path run against a driver
    // other than SQL Server's (the tests use SQLite's).
    QString odbcConnection;
    // postgresql: database, role and TLS mode on each server; the password
    // from pg_password_file, or else libpq's own (~/.pgpass, PGPASSFILE).
    QString pgDatabase;
    QString pgSecondaryDatabase;
    QString pgUser;
    QString pgSslMode = QStringLiteral("prefer");
    QString pgPassword;
    QString configPath; // named in the message about a missing key

    // Reads [database]; a key the chosen backend needs and the file lacks is
    // a core::ConfigError naming the key and the file.
    static DbSettings fromConfig(const core::Config& config);
};

// Where the user and AP status screen reads its site grid: the third server
// ([database] status_server) with the same login and catalog; with SQLite,
// the configured database. Throws db::Error naming the key when the server
// is not configured.
DbSettings statusServerSettings(const DbSettings& settings);

// A PostgreSQL server as the configuration names it: "host", "host:port",
// "[v6 address]:port", or a Unix socket folder ("/run/postgresql[:port]").
// Port 0: libpq's default.
struct ServerAddress {
    QString host;
    int port = 0;
};
ServerAddress serverAddress(const QString& text);

// Turns the provider-form connection text ("Provider=SQLOLEDB.1;User ID=sa;
// password=...;Initial Catalog=test;Data Source = «server»;...;Packet Size=4096")
// into an ODBC connection string for the given driver and server: user,
// password, catalog, server and packet size carry over, the client speaks
// UTF-8, and provider-only switches are dropped. Values with ';', '{' or '}'
// are braced so they cannot end their key early.
QString odbcConnectionString(const QString& providerText, const QString& server,
                             const QString& driver, bool encrypt);

} // namespace db
