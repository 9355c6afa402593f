#pragma once

#include "complaints/complaint_rules.h"
#include "db/error.h"

#include <QDateTime>
#include <QString>

// What the complaint register's parts (screen, complaint actions) share: the
// titles of its messages and the hours a complaint has been pending.
namespace complaints::register_texts {

inline const QString vuva = QStringLiteral("VUVA");
inline const QString zel = QStringLiteral("ZEL");
inline const QString zelCrm = QStringLiteral("ZEL CRM");

// A stored issue time the server cannot read stops the action as the
// server's own conversion error would.
inline qint64 hoursOrFail(const QString& issueTime, const QDateTime& now) {
    const auto hours = hoursPending(issueTime, now);
    if (!hours)
        throw db::Error(db::dateConversionMessage());
    return *hours;
}

} // namespace complaints::register_texts
