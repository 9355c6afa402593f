#include "complaints/complaint_rules.h"

#include "core/text_formats.h"

#include <QLocale>

namespace complaints {

namespace {

QString encoded(const QString& value) {
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

ComplaintField at(const char* control, int position, bool trimmed) {
    return {QLatin1String(control), position, QString(), trimmed};
}

ComplaintField named(const char* control, const char* column, bool trimmed) {
    return {QLatin1String(control), -1, QLatin1String(column), trimmed};
}

} // namespace

QStringList complaintDescriptions() {
    return {QStringLiteral("SIGNAL WEAK"),        QStringLiteral("DDOS"),
            QStringLiteral("SPEED ISSUE"),        QStringLiteral("SITE  DOWN"),
            QStringLiteral("NO INTERNET ACCESS"), QStringLiteral("ODU PROBLEM"),
            QStringLiteral("BILLING ISSUE"),      QStringLiteral("DEVICE NOT CONNECTED"),
            QStringLiteral("PHONE NOT WORKING")};
}

QStringList complaintCategories() {
    return {QStringLiteral("SITE DOWN"), QStringLiteral("WIRE DOWN"),
            QStringLiteral("BILLING ISSUE"), QStringLiteral("VOIP ISSUE"), QStringLiteral("OTHER")};
}

QStringList paidChoices() {
    return {QStringLiteral("YES"), QStringLiteral("NO")};
}

QString updateEntry(const QString& time, const QString& user, const QString& text) {
    return QLatin1Char('@') + time + QStringLiteral(" Update by: ") + user +
           QStringLiteral("@Update: ") + text;
}

QString closingEntry(const QString& time, const QString& user) {
    return QLatin1Char('@') + time + QStringLiteral(" Closed by: ") + user;
}

std::optional<qint64> hoursPending(const QString& issueTime, const QDateTime& now) {
    const auto issued = core::formats::parseDateTime(issueTime.trimmed());
    // The current time goes through the stored text form, which has no seconds.
    const auto current = core::formats::parseDateTime(core::formats::shortDateTime(now));
    if (!issued || !current)
        return std::nullopt;
    return core::formats::hourBoundaries(*issued, *current);
}

bool isMobileNumber(const QString& text) {
    if (text.isEmpty() || text.size() > 18)
        return false;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

QString generalDateTime(const QDateTime& t) {
    return QLocale::system().toString(t, QLocale::ShortFormat);
}

QList<ComplaintField> complaintFields(ComplaintRead read) {
    switch (read) {
    case ComplaintRead::Search:
        return {at("Text6", 0, false),         at("Text7", 1, false),  at("Text9", 2, false),
                named("Combo2", "cat", false), at("Label7", 4, true),  at("Combo3", 8, false),
                at("Text5", 9, false),         at("Text8", 11, false), at("Text14", 3, false),
                at("Text15", 12, false),       at("Label34", 5, false)};
    case ComplaintRead::SubmitCheck:
        return {at("Text6", 0, false),         at("Text7", 1, false),  at("Text9", 2, false),
                named("Combo2", "cat", false), at("Label7", 4, true),  at("Combo3", 8, false),
                at("Text5", 9, false),         at("Text8", 11, false), at("Text14", 3, false)};
    case ComplaintRead::Lookup:
        return {at("Text7", 1, true),
                at("Text9", 2, true),
                named("Combo2", "cat", true),
                at("Label7", 4, true),
                at("Combo3", 8, true),
                at("Text5", 9, true),
                at("Text8", 11, true),
                at("Text14", 3, true),
                at("Text15", 12, true),
                at("Label34", 5, false),
                named("Combo4", "circle", false),
                named("Combo5", "SSA", false)};
    }
    return {};
}

QUrl closingNoticeUrl(const QString& server, const QString& mobile, const QString& number) {
    return QUrl(QStringLiteral("http://") + server +
                    QStringLiteral("/waba_complaint_closed.php?mobile=") + encoded(mobile) +
                    QStringLiteral("&cn=") + encoded(number),
                QUrl::StrictMode);
}

QUrl policyServerUrl(const QString& server, const QString& page, const QString& id,
                     const QString& nasIp) {
    return QUrl(QStringLiteral("http://") + server + QLatin1Char('/') + page +
                    QStringLiteral("?bb=") + encoded(id) + QStringLiteral("&ip=") + encoded(nasIp),
                QUrl::StrictMode);
}

bool isApName(const QString& text) {
    // A page whose bytes were not text shows replacement characters; storing
    // that would keep a garbled AP as if the server had named one.
    return !text.isEmpty() && text.size() < 50 && !text.contains(QChar::ReplacementCharacter);
}

} // namespace complaints
