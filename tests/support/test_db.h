#pragma once

#include "db/db_settings.h"

#include <QHash>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

namespace support {

// A fresh database made from the real schema, with a secondary one beside it.
// The test writes its fixture with exec() and reads back with rows()/scalar();
// screens reach it through settings() (or the configuration values()).
//
// SQLite files in a temporary folder, or, when the test runs on PostgreSQL
// (ZELCRM_TEST_PG_STATE names the state file of the run's throwaway cluster,
// scripts/pg-cluster), two new databases made from the cluster's schema
// template and dropped again at the end. Fixture statements are written as
// the screens write theirs and reach PostgreSQL through the same translation.
class TestDb {
public:
    TestDb();
    ~TestDb();
    TestDb(const TestDb&) = delete;
    TestDb& operator=(const TestDb&) = delete;

    // True when the tests of this process run on PostgreSQL.
    static bool onPostgreSql();

    db::Backend backend() const;
    db::DbSettings settings() const;
    // The [database] keys that reach this database.
    QHash<QString, QString> configValues() const;
    // SQLite only: the database files.
    QString path() const;
    QString secondaryPath() const;

    // Runs statements on the primary database (one per list entry or a single
    // text); a failure fails with the driver's message.
    void exec(const QString& sql, const QVariantList& params = {}) const;
    void execSecondary(const QString& sql, const QVariantList& params = {}) const;
    // Every row of a SELECT, each row's fields as text joined by "|".
    QStringList rows(const QString& sql, const QVariantList& params = {}) const;
    QString scalar(const QString& sql, const QVariantList& params = {}) const;
    QStringList rowsSecondary(const QString& sql, const QVariantList& params = {}) const;

    // Makes every INSERT or UPDATE (event) on the table fail with the
    // message, as a server refuses a write, until stopRefusing().
    // The database goes away, as a server that is down or a file that was
    // moved, and comes back; the message a screen then shows contains
    // lostDatabaseMessage().
    void loseDatabase() const;
    void restoreDatabase() const;
    QString lostDatabaseMessage() const;

    // Each row an update of `ofColumn` on `table` leaves with `condition`
    // (a test on "new.") true adds its `column` to `into`, a table of one
    // text column named value, made here: what a statement touched.
    void recordUpdates(const QString& table, const QString& ofColumn, const QString& condition,
                       const QString& column, const QString& into) const;

    void refuse(const QString& table, const QString& event, const QString& message) const;
    void stopRefusing(const QString& table, const QString& event) const;

private:
    void run(bool secondary, const QString& sql, const QVariantList& params,
             QStringList* out) const;
    QTemporaryDir m_dir;
    QString m_pgHost;     // the cluster's socket folder
    QString m_pgDatabase; // the primary database; the secondary adds "_s"
};

} // namespace support
