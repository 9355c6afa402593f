#include "oltd/driver.h"

#include <array>

namespace oltd {

namespace {

struct CodeText {
    Code code;
    const char* name;
};

constexpr std::array<CodeText, 9> kCodes{{
    {Code::Ok, "OK"},
    {Code::NotFound, "NOT_FOUND"},
    {Code::Offline, "OFFLINE"},
    {Code::Unsupported, "UNSUPPORTED"},
    {Code::NeedsAcs, "NEEDS_ACS"},
    {Code::Auth, "AUTH"},
    {Code::Timeout, "TIMEOUT"},
    {Code::DeviceError, "DEVICE_ERROR"},
    {Code::Busy, "BUSY"},
}};

} // namespace

QString codeName(Code code) {
    for (const auto& c : kCodes)
        if (c.code == code)
            return QString::fromLatin1(c.name);
    return QStringLiteral("DEVICE_ERROR");
}

std::optional<Code> codeFromName(const QString& name) {
    for (const auto& c : kCodes)
        if (name.trimmed().compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0)
            return c.code;
    return std::nullopt;
}

QString bandName(Band band) {
    return band == Band::Ghz5 ? QStringLiteral("5 GHz") : QStringLiteral("2.4 GHz");
}

void Transcript::add(QString line, const QStringList& secrets) {
    for (const QString& secret : secrets)
        if (!secret.isEmpty())
            line.replace(secret, QStringLiteral("********"));
    m_lines.append(line);
}

} // namespace oltd
