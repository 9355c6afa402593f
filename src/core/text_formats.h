#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

// The date and time texts the product writes and reads back. Month names are
// always the English abbreviations, whatever the desktop's locale.
namespace core::formats {

// "4-Dec-21"
QString shortDate(const QDate& d);
// "4-Dec-21 9:5 PM": day, hour and minute without leading zeros
QString shortDateTime(const QDateTime& t);
// "4-Dec-21 21:05": the complaint register's clock at first
QString shortDateTime24(const QDateTime& t);
// "12/04/2021 9:5 PM": stamps inside fault ticket histories
QString usDateTime(const QDateTime& t);
// "2021-12-04 00:00:01" and "2021-12-04 23:59:59": period bounds
QString periodStart(const QDate& d);
QString periodEnd(const QDate& d);
// "2021-12-04 21:05:00": how a date-time column reads back from the database
QString isoDateTime(const QDateTime& t);

// Reads a date or date-time text the way the database server converts text
// to a date-time: "d-mmm-yy[yy] [h:m[:s] [AM|PM]]", "m/d/yyyy [h:m[:s] [AM|PM]]",
// "yyyy-mm-dd[ hh:mm[:ss[.fff]]]", "yyyy-mm-ddThh:mm:ss". Two-digit years
// below 50 are 20yy, the rest 19yy. Leading and trailing blanks are ignored.
// Returns nothing for any other text.
std::optional<QDateTime> parseDateTime(const QString& text);

// Whole-hour boundaries crossed from start to end: 10:59 to 11:01 is 1,
// 10:01 to 10:59 is 0, negative when start lies after end.
qint64 hourBoundaries(const QDateTime& start, const QDateTime& end);
// Whole-day (midnight) boundaries crossed from start to end.
qint64 dayBoundaries(const QDateTime& start, const QDateTime& end);

} // namespace core::formats
