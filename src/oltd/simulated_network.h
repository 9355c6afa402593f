#pragma once

#include <QSqlDatabase>
#include <QString>
#include <stdexcept>

// The simulated OLT network: OLTs by address, their PON ports and the ONUs
// behind them, kept in one SQLite file so that what an operator configures
// survives a restart of the service.
namespace oltd::sim {

class SimError : public std::runtime_error {
public:
    explicit SimError(const QString& message)
        : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// Opens (creating the tables when new) the network file under its own
// connection name. Throws SimError.
QSqlDatabase open(const QString& file, const QString& connectionName);

// The settings an ONU leaves the factory with, derived from its serial
// number the way vendors print them on the label.
QString factorySsid(const QString& serial, bool fiveGhz);
QString factoryKey(const QString& serial);

struct InitSummary {
    int olts = 0;
    int onus = 0;
    int skipped = 0; // subscriber rows without a usable MAC or site address
};

// Builds a new network file from the client database: an OLT for every
// af_site row with an address, an ONU for every OLT row whose MAC is
// filled, already set up for its subscriber, and two long-offline ONUs per
// OLT so that clearing offline users has something to clear. An existing
// file is refused unless replace is true.
InitSummary initFromClientDb(const QString& clientDb, const QString& file, bool replace);

// A large network for the benchmarks: `olts` OLTs (192.0.2.x ...) sharing
// `onus` ONUs with distinct MACs.
void seedSynthetic(const QString& file, int olts, int onus);

// Makes every operation on the OLT (mac empty) or on one of its ONUs answer
// `code` ("OK" restores normal answers). Returns false when nothing matched.
bool setAnswer(const QString& file, const QString& oltIp, const QString& mac, const QString& code);

} // namespace oltd::sim
