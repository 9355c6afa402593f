#pragma once

// What the Huawei driver's two halves share: the operations
// (huawei_driver.cpp) and the finding of ONTs (huawei_locate.cpp).
#include "oltd/drivers/huawei/huawei_driver.h"

#include <QRegularExpression>
#include <chrono>

namespace oltd::huawei {

// Secrets the device prints back (current-configuration) or that a command
// carries; line.mask() hides those the driver sends, this the rest.
inline QString scrubbed(QString text) {
    static const QRegularExpression secret(QStringLiteral("\\b(password|wpa-key|key)(\\s+)(\\S+)"));
    return text.replace(secret, QStringLiteral("\\1\\2********"));
}

inline Result& resultOf(Result& r) {
    return r;
}
template <class T> Result& resultOf(Answer<T>& a) {
    return a.result;
}

inline QString portOf(const Fsp& fsp, int ontId) {
    return fsp.text() + QLatin1Char(':') + QString::number(ontId);
}

inline QString stateOf(const QString& runState, const QString& downCause) {
    if (runState == QLatin1String("online"))
        return QStringLiteral("ONLINE");
    return downCause.startsWith(QLatin1String("LOS"), Qt::CaseInsensitive)
               ? QStringLiteral("LOS")
               : QStringLiteral("OFFLINE");
}

// The command line splits words at blanks and has no quoting we can rely
// on: a value with a blank or a quote would become other words.
inline bool plainWord(const QString& value) {
    static const QRegularExpression bad(QStringLiteral("[\\s\"'?]"));
    return !value.isEmpty() && !bad.match(value).hasMatch();
}

constexpr std::chrono::minutes kWanScanPause{10};

inline const QString kNotSaved =
    QStringLiteral("; not yet saved to the OLT's startup configuration");

} // namespace oltd::huawei

namespace oltd {

// A display command on the ONT's board (`words` take the port and the ONT
// id), read with `parse`; nothing (r says why) when the line fails or the
// answer is not understood.
template <class Parse>
inline auto HuaweiDriver::boardRead(const Ont& ont, const char* words, Parse parse, Result& r)
    -> decltype(parse(QString())) {
    if (!enterBoard(ont.info.fsp, r))
        return std::nullopt;
    const QString command = QString::fromLatin1(words).arg(ont.info.fsp.port).arg(ont.info.ontId);
    const auto text = exec(command, r);
    if (!text)
        return std::nullopt;
    auto value = parse(*text);
    if (!value)
        notUnderstood(command, *text, r);
    return value;
}

} // namespace oltd
