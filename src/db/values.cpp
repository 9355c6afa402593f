#include "db/values.h"

#include "core/text_formats.h"
#include "db/error.h"

namespace db {

namespace {

// Bare numbers in statements are whole numbers of at most 18 digits, so
// they fit a 64-bit integer whatever the backend.
bool isNumber(const QString& v) {
    if (v.isEmpty() || v.size() > 18)
        return false;
    for (const QChar c : v)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

} // namespace

QString dateConversionMessage() {
    return QStringLiteral(
        "Conversion failed when converting date and/or time from character string.");
}

bool isRowNumber(const QString& text) {
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 10)
        return false;
    for (const QChar c : digits)
        if (c < u'0' || c > u'9')
            return false;
    return digits.toLongLong() <= 2147483647;
}

Value Value::number(const QString& v) {
    if (!isNumber(v))
        throw Error(QStringLiteral("%1 is not a number").arg(v));
    return Value(Kind::Number, v);
}

Value Value::dateTime(const QString& v) {
    const auto when = core::formats::parseDateTime(v);
    if (!when)
        throw Error(dateConversionMessage());
    return Value(Kind::DateTime, v, *when);
}

Value Value::dateTime(const QDateTime& v) {
    return Value(Kind::DateTime, core::formats::isoDateTime(v), v);
}

QVariant Value::bound(bool nativeDateTime) const {
    switch (m_kind) {
    case Kind::Number:
        return QVariant(m_text.toLongLong());
    case Kind::RowNumber:
        return isRowNumber(m_text) ? QVariant(m_text.trimmed().toLongLong())
                                   : QVariant(QMetaType(QMetaType::LongLong));
    case Kind::DateTime:
        return nativeDateTime ? QVariant(m_when) : QVariant(core::formats::isoDateTime(m_when));
    case Kind::Text:
        break;
    }
    // An empty text is an empty literal, never NULL.
    return m_text.isNull() ? QVariant(QString(QLatin1String(""))) : QVariant(m_text);
}

} // namespace db
