#include "core/text_formats.h"

#include <QRegularExpression>
#include <QTimeZone>
#include <array>

namespace core::formats {

namespace {

// Written out here rather than taken from a locale: the database holds these
// texts and other workstations compare them, whatever language the desktop has.
constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

QString number(int value) {
    return QString::number(value);
}

QString twoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

QString fourDigits(int value) {
    return QStringLiteral("%1").arg(value, 4, 10, QLatin1Char('0'));
}

QString monthAbbreviation(int month) {
    return QLatin1String(kMonths.at(month - 1));
}

// "9:5 PM": the 12-hour clock has no hour 0, so midnight and noon read 12.
QString clock12(const QTime& t) {
    const int hour = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    const QLatin1String half = t.hour() < 12 ? QLatin1String("AM") : QLatin1String("PM");
    return number(hour) + QLatin1Char(':') + number(t.minute()) + QLatin1Char(' ') + half;
}

QString isoDate(const QDate& d) {
    return fourDigits(d.year()) + QLatin1Char('-') + twoDigits(d.month()) + QLatin1Char('-') +
           twoDigits(d.day());
}

int monthNumber(const QString& name) {
    for (int i = 0; i < 12; ++i) {
        if (name.compare(QLatin1String(kMonths.at(i)), Qt::CaseInsensitive) == 0 ||
            name.compare(QLatin1String(kMonthNames.at(i)), Qt::CaseInsensitive) == 0)
            return i + 1;
    }
    return 0;
}

// The server's two-digit year cutoff: 00-49 are this century, 50-99 the last.
int fullYear(const QString& digits) {
    const int year = digits.toInt();
    if (digits.size() > 2)
        return year;
    return year < 50 ? 2000 + year : 1900 + year;
}

// A fraction of a second as written after the point: ".5" is half a second.
int milliseconds(const QString& fraction) {
    return fraction.isEmpty() ? 0 : fraction.left(3).leftJustified(3, QLatin1Char('0')).toInt();
}

// "h:m[:s[.fff]] [AM|PM]" or "h AM|PM"; an empty text is midnight.
std::optional<QTime> parseTime(const QString& text) {
    if (text.isEmpty())
        return QTime(0, 0);
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(\d{1,2})(?::(\d{1,2})(?::(\d{1,2})(?:\.(\d{1,7}))?)?)?\s*([ap]m)?$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QString half = m.captured(5).toUpper();
    if (m.captured(2).isEmpty() && half.isEmpty())
        return std::nullopt;
    int hour = m.captured(1).toInt();
    if (!half.isEmpty()) {
        if (hour > 12)
            return std::nullopt;
        hour = hour % 12 + (half == QLatin1String("PM") ? 12 : 0);
    }
    const QTime t(hour, m.captured(2).toInt(), m.captured(3).toInt(), milliseconds(m.captured(4)));
    if (!t.isValid())
        return std::nullopt;
    return t;
}

std::optional<QDateTime> combine(int year, int month, int day, const QString& timeText) {
    if (!QDate::isValid(year, month, day))
        return std::nullopt;
    const std::optional<QTime> t = parseTime(timeText.trimmed());
    if (!t)
        return std::nullopt;
    return QDateTime(QDate(year, month, day), *t);
}

// "yyyy-mm-dd[ time]" and "yyyy-mm-ddThh:mm:ss[.fff]"
std::optional<QDateTime> parseIso(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(\d{4})-(\d{1,2})-(\d{1,2})(?:(?:\s+|T)(.+))?$)"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    return combine(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
                   m.captured(4));
}

// "m/d/yyyy[ time]": the server's month-day-year order
std::optional<QDateTime> parseNumeric(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(\d{1,2})([/.-])(\d{1,2})\2(\d{4}|\d{2})(?:\s+(.+))?$)"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    return combine(fullYear(m.captured(4)), m.captured(1).toInt(), m.captured(3).toInt(),
                   m.captured(5));
}

// "d-mmm-yy[yy][ time]", also with blanks or slashes between the parts
std::optional<QDateTime> parseDayMonthName(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(\d{1,2})([-/ ])([a-z]+)\2(\d{4}|\d{2})(?:\s+(.+))?$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const int month = monthNumber(m.captured(3));
    if (month == 0)
        return std::nullopt;
    return combine(fullYear(m.captured(4)), month, m.captured(1).toInt(), m.captured(5));
}

// "Dec  4 2021  9:05PM": how the server itself writes a date-time as text
std::optional<QDateTime> parseMonthNameFirst(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^([a-z]+)\s+(\d{1,2}),?\s+(\d{4})(?:\s+(.+))?$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const int month = monthNumber(m.captured(1));
    if (month == 0)
        return std::nullopt;
    return combine(m.captured(3).toInt(), month, m.captured(2).toInt(), m.captured(4));
}

// Readings of two different clocks (UTC against local time, say) are first
// brought to the start's clock; readings of one clock are compared as shown.
QDateTime onClockOf(const QDateTime& t, const QDateTime& reference) {
    if (t.timeSpec() == reference.timeSpec() && t.timeZone() == reference.timeZone())
        return t;
    return t.toTimeZone(reference.timeZone());
}

qint64 hourIndex(const QDateTime& t) {
    return t.date().toJulianDay() * 24 + t.time().hour();
}

} // namespace

QString shortDate(const QDate& d) {
    if (!d.isValid())
        return {};
    return number(d.day()) + QLatin1Char('-') + monthAbbreviation(d.month()) + QLatin1Char('-') +
           twoDigits(d.year() % 100);
}

QString shortDateTime(const QDateTime& t) {
    if (!t.isValid())
        return {};
    return shortDate(t.date()) + QLatin1Char(' ') + clock12(t.time());
}

QString shortDateTime24(const QDateTime& t) {
    if (!t.isValid())
        return {};
    return shortDate(t.date()) + QLatin1Char(' ') + twoDigits(t.time().hour()) + QLatin1Char(':') +
           twoDigits(t.time().minute());
}

QString usDateTime(const QDateTime& t) {
    if (!t.isValid())
        return {};
    const QDate d = t.date();
    return twoDigits(d.month()) + QLatin1Char('/') + twoDigits(d.day()) + QLatin1Char('/') +
           fourDigits(d.year()) + QLatin1Char(' ') + clock12(t.time());
}

QString periodStart(const QDate& d) {
    return d.isValid() ? isoDate(d) + QLatin1String(" 00:00:01") : QString();
}

QString periodEnd(const QDate& d) {
    return d.isValid() ? isoDate(d) + QLatin1String(" 23:59:59") : QString();
}

QString isoDateTime(const QDateTime& t) {
    if (!t.isValid())
        return {};
    const QTime c = t.time();
    return isoDate(t.date()) + QLatin1Char(' ') + twoDigits(c.hour()) + QLatin1Char(':') +
           twoDigits(c.minute()) + QLatin1Char(':') + twoDigits(c.second());
}

std::optional<QDateTime> parseDateTime(const QString& text) {
    const QString s = text.trimmed();
    for (auto parse : {parseIso, parseNumeric, parseDayMonthName, parseMonthNameFirst}) {
        if (std::optional<QDateTime> t = parse(s))
            return t;
    }
    return std::nullopt;
}

qint64 hourBoundaries(const QDateTime& start, const QDateTime& end) {
    if (!start.isValid() || !end.isValid())
        return 0;
    return hourIndex(onClockOf(end, start)) - hourIndex(start);
}

qint64 dayBoundaries(const QDateTime& start, const QDateTime& end) {
    if (!start.isValid() || !end.isValid())
        return 0;
    return onClockOf(end, start).date().toJulianDay() - start.date().toJulianDay();
}

} // namespace core::formats
