#pragma once

#include "db/db_settings.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

namespace support {

// A fresh SQLite database made from the real schema in a temporary folder,
// with a secondary one beside it. The test writes its fixture with exec() and
// reads back with rows()/scalar(); screens reach it through settings().
class TestDb {
public:
    TestDb();
    ~TestDb();

    db::DbSettings settings() const;
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

private:
    void run(const QString& file, const QString& sql, const QVariantList& params,
             QStringList* out) const;
    QTemporaryDir m_dir;
};

} // namespace support
