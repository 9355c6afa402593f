#include "faults/sla_rules.h"

#include "core/text_formats.h"

#include <limits>

namespace faults {

QString periodColumn(const QString& upDownChoice) {
    return upDownChoice == QLatin1String("UP_TIME") ? QStringLiteral("up_time")
                                                    : QStringLiteral("down_time");
}

QString repeatedDownSql(const QString& column) {
    return QStringLiteral("SELECT circle,ssa,equipment, COUNT(equipment) FROM olt_status where "
                          "%1 between ? AND ? GROUP BY circle,ssa, equipment HAVING "
                          "COUNT(equipment) > 1")
        .arg(column);
}

Period yesterday(const QDate& today) {
    const QDate day = today.addDays(-1);
    return {core::formats::periodStart(day), core::formats::periodEnd(day)};
}

QString outageNotFound(const QString& number) {
    return QStringLiteral("OUTAGE %1 NOT FOUND").arg(number);
}

std::optional<int> outageNumber(const QString& typed) {
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

QString afterLookup(const QString& shown, const QString& leftByLastLookup, const QString& stored) {
    return shown == leftByLastLookup ? stored : shown;
}

} // namespace faults
