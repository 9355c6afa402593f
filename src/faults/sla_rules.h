#pragma once

#include <QDate>
#include <QString>

// The SLA board's small rules, kept apart from its widgets.
namespace faults {

// The time column the repeated-down search looks at: "UP_TIME" picks up_time;
// the box's initial text, "DOWN_TIME" and anything typed keep down_time.
QString periodColumn(const QString& upDownChoice);

// The search for equipment that went down more than once between two bound
// period texts, on the given time column.
QString repeatedDownSql(const QString& column);

// The default period: the whole of the day before `today`, from one second
// past midnight.
struct Period {
    QString start;
    QString end;
};
Period yesterday(const QDate& today);

// "OUTAGE «number» NOT FOUND"
QString outageNotFound(const QString& number);

} // namespace faults
