#pragma once

// What the ZTE driver's two halves share: the operations (zte_driver.cpp)
// and the finding of ONUs (zte_locate.cpp).
#include "oltd/drivers/zte/zte_driver.h"
#include "oltd/drivers/zte/zte_parse.h"

#include <QRegularExpression>
#include <optional>

namespace oltd::zte {

// Ends an operation early with what the caller is told.
struct Stop {
    Code code;
    QString message;
};

[[noreturn]] inline void stop(Code code, const QString& message) {
    throw Stop{code, message};
}

inline Result& resultOf(Result& r) {
    return r;
}
template <class T> Result& resultOf(Answer<T>& a) {
    return a.result;
}

inline const QString kMasked = QStringLiteral("********");

// The device prints passwords and keys in clear (WAN status, running
// config); whatever the session masked, none of them leaves the driver.
inline QString withoutSecrets(QString text, const QStringList& secrets) {
    for (const QString& s : secrets)
        text.replace(s, kMasked);
    return text;
}

inline QString scrub(QString line, const QStringList& secrets) {
    static const QRegularExpression label(QStringLiteral("^(\\s*Password\\s*:\\s*)\\S.*$"));
    static const QRegularExpression word(QStringLiteral("(\\b(?:password|key)\\s+)\\S+"));
    line = withoutSecrets(line, secrets);
    line.replace(label, QStringLiteral("\\1") + kMasked);
    line.replace(word, QStringLiteral("\\1") + kMasked);
    return line;
}

inline QStringList scrubbed(QStringList lines, const QStringList& secrets) {
    for (QString& l : lines)
        l = scrub(l, secrets);
    return lines;
}

inline QString causeText(const QString& cause) {
    if (cause == QLatin1String("DyingGasp"))
        return QStringLiteral("DYING-GASP");
    return cause.toUpper();
}

// The profile for another VLAN, named as the ONU's current one is:
// "PPPOE-2105" for 2105 -> "PPPOE-2106" for 2106. Empty when the current
// name does not carry its VLAN.
inline QString profileFor(const QString& profile, int oldVlan, int newVlan) {
    if (oldVlan <= 0)
        return {};
    const QRegularExpression number(QStringLiteral("(?<!\\d)%1(?!\\d)").arg(oldVlan));
    if (!number.match(profile).hasMatch())
        return {};
    QString renamed = profile;
    return renamed.replace(number, QString::number(newVlan));
}

inline std::optional<OnuConfig::Wan> firstWan(const OnuConfig& c) {
    for (const OnuConfig::Wan& w : c.wans) {
        if (w.id == 1)
            return w;
    }
    return c.wans.isEmpty() ? std::nullopt : std::optional<OnuConfig::Wan>(c.wans.first());
}

inline std::optional<OnuConfig::Sip> sipOf(const OnuConfig& c, const QString& port) {
    for (const OnuConfig::Sip& s : c.sips) {
        if (s.port == port)
            return s;
    }
    return std::nullopt;
}

inline int voipVlan(const OnuConfig& c) {
    for (const OnuConfig::Service& s : c.services) {
        if (s.name.contains(QLatin1String("VOIP"), Qt::CaseInsensitive))
            return s.vlan;
    }
    return 0;
}

inline std::optional<Band> bandOf(const QString& radio) {
    if (radio == QLatin1String("wifi_0/1"))
        return Band::Ghz24;
    if (radio == QLatin1String("wifi_0/5") || radio == QLatin1String("wifi_1/1"))
        return Band::Ghz5;
    return std::nullopt; // guest and further SSIDs
}

inline QString radioFor(Band band, const OnuConfig& c) {
    if (band == Band::Ghz24)
        return QStringLiteral("wifi_0/1");
    if (c.ssidNames.contains(QStringLiteral("wifi_1/1")))
        return QStringLiteral("wifi_1/1");
    return QStringLiteral("wifi_0/5");
}

inline QString unsafe(const QString& what) {
    return QStringLiteral("The %1 cannot be sent to the OLT: it must be one word of printable "
                          "ASCII without blanks or \"?\"")
        .arg(what);
}

// Ends the operation when the device refused the command.
inline void refuseOn(const QString& command, const QString& text) {
    const DeviceAnswer a = judge(text);
    switch (a.refusal) {
    case Refusal::None:
        return;
    case Refusal::NotFound:
        stop(Code::NotFound,
             QStringLiteral("The OLT answered \"%1\" with: %2").arg(command, a.text));
    case Refusal::UnknownCommand:
        stop(Code::Unsupported,
             QStringLiteral("This OLT does not know \"%1\": %2").arg(command, a.text));
    case Refusal::Error:
        break;
    }
    stop(Code::DeviceError, QStringLiteral("The OLT refused \"%1\": %2").arg(command, a.text));
}

[[noreturn]] inline void unreadable(const QString& command) {
    stop(Code::DeviceError,
         QStringLiteral("The OLT's answer to \"%1\" is not in a form this driver reads")
             .arg(command));
}

// The answer of a show command: none when the device has nothing to show.
template <class Parse>
inline auto shown(const QString& command, const QString& text, Parse parse)
    -> std::optional<typename decltype(parse(text))::value_type> {
    if (judge(text).refusal == Refusal::NotFound)
        return std::nullopt;
    refuseOn(command, text);
    auto value = parse(text);
    if (!value)
        unreadable(command);
    return *value;
}

} // namespace oltd::zte
