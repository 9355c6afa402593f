#pragma once

#include <QDate>
#include <QString>
#include <optional>

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

// The outage number as the integer column holds it: the typed text, blanks
// around it aside, when it is digits only and fits the column; otherwise
// nothing, and the text names no outage.
std::optional<int> outageNumber(const QString& typed);

// What a list shows after an outage lookup found `stored`: the operator's
// own choice when the list no longer shows what the previous lookup left
// there, the stored value otherwise.
QString afterLookup(const QString& shown, const QString& leftByLastLookup, const QString& stored);

} // namespace faults
