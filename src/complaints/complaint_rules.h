#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

// The complaint register's rules that need no screen and no database: the
// fixed lists, the history entries, hours pending, which columns fill which
// control, and the addresses of the outside pages.
namespace complaints {

// The descriptions offered when a complaint is logged, the categories of an
// update or closing, and the paid flag, each in the order shown.
QStringList complaintDescriptions();
QStringList complaintCategories();
QStringList paidChoices();

// "@«time» Update by: «user»@Update: «text»"
QString updateEntry(const QString& time, const QString& user, const QString& text);
// "@«time» Closed by: «user»"
QString closingEntry(const QString& time, const QString& user);

// Whole-hour boundaries from the issue time, as read back from the row, to
// `now` taken to the minute. Nothing when the issue time is no date.
std::optional<qint64> hoursPending(const QString& issueTime, const QDateTime& now);

// A mobile number the subscriber record can hold: digits only, as the
// database layer writes a bare number.
bool isMobileNumber(const QString& text);

// The operator's double click stamp in the desktop's own date and time format.
QString generalDateTime(const QDateTime& t);

// The events that fill the complaint fields from a row of `complain`.
enum class ComplaintRead { Search, SubmitCheck, Lookup };

// One control filled from one column: by position, or by name when
// `position` is negative; `trimmed` takes the blanks off both ends.
struct ComplaintField {
    QString control;
    int position;
    QString column;
    bool trimmed;
};

QList<ComplaintField> complaintFields(ComplaintRead read);

// "http://«server»/waba_complaint_closed.php?mobile=«mobile»&cn=«number»"
QUrl closingNoticeUrl(const QString& server, const QString& mobile, const QString& number);
// "http://«server»/«page»?bb=«id»&ip=«nas ip»" for "policy.php" and "ap.php"
QUrl policyServerUrl(const QString& server, const QString& page, const QString& id,
                     const QString& nasIp);

// An AP page answer worth storing: not empty, shorter than an error page, and
// text (no character the page's bytes could not be read as).
bool isApName(const QString& text);

} // namespace complaints
