#include "oltd/mac.h"

#include <algorithm>
#include <cctype>

namespace oltd {

QString macDigits(const QString& text) {
    QString digits;
    for (const QChar c : text) {
        if (c == QLatin1Char(':') || c == QLatin1Char('-') || c == QLatin1Char('.'))
            continue;
        if (!std::isxdigit(c.unicode() < 128 ? c.toLatin1() : 'x'))
            return {};
        digits.append(c.toUpper());
    }
    return digits;
}

QString formatMac(const QString& digits) {
    QString mac;
    for (qsizetype i = 0; i < digits.size(); i += 2) {
        if (i > 0)
            mac.append(QLatin1Char(':'));
        mac.append(digits.mid(i, 2));
    }
    return mac;
}

QString reversed(const QString& text) {
    QString r = text;
    std::reverse(r.begin(), r.end());
    return r;
}

} // namespace oltd
