#pragma once

#include "support/test_db.h"

#include <QStringList>

namespace support {

// Every row of every table of a database file, each as "table|field|field...",
// sorted: two snapshots are equal exactly when no row changed anywhere.
QStringList snapshot(const TestDb& db);
QStringList snapshotSecondary(const TestDb& db);

// The rows one snapshot has and the other lacks, in any order.
struct SnapshotChange {
    QStringList removed; // in before only
    QStringList added;   // in after only
    bool none() const { return removed.isEmpty() && added.isEmpty(); }
    // "expected «rows removed»\nstored «rows added»", cut short for a test log.
    QString described() const;
};
SnapshotChange changeBetween(QStringList before, QStringList after);

// Every field of every table of both databases that holds exactly `from`
// holds `to` afterwards: the fixture's key of a row becomes the key a test
// types, wherever the row is referred to by it.
void replaceValue(const TestDb& db, const QString& from, const QString& to);

} // namespace support
