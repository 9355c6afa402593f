#pragma once

#include <QString>
#include <QtGlobal>

namespace admin {

struct SeedOptions {
    qint64 subscribers = 0;
    qint64 complaints = 0;
    quint64 seed = 1;
    qint64 tickets = 0;
    qint64 outages = 0;
};

struct SeedCounts {
    qint64 subscribers = 0;
    qint64 complaints = 0;
    qint64 innerVlanPairs = 0;
    qint64 voiceIps = 0;
    qint64 tickets = 0;
    qint64 outages = 0;
};

// Fills a SQLite database with deterministic synthetic data for benchmarks:
// the same options give the same rows, value for value. Subscribers go to
// cdata, complaints (mostly closed, a few still open, at most one open per
// subscriber) to complain, and a pool of inner VLAN pairs and voice IPs
// proportional to the subscribers to OLT and VOIP, fault tickets (the last
// hundredth still open) to BTS_FAULT, and outages (one in a hundred not
// closed, the newest fault numbers latest) to olt_status. A missing file is created
// with the schema first. Throws db::Error; a file that already holds this
// seed's first subscriber is refused rather than filled twice.
SeedCounts seedSynthetic(const QString& path, const SeedOptions& options);

} // namespace admin
