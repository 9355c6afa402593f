#pragma once

#include <QString>

namespace oltd {

// The hex digits of a MAC written with ":", "-", "." or no separators,
// upper case; empty when anything else is in it.
QString macDigits(const QString& text);

// "A47B2C100101" -> "A4:7B:2C:10:01:01".
QString formatMac(const QString& digits);

// Whole MACs and trailing octets are found through the reversed digits, so a
// lookup by the last octets is a range on an index instead of a scan.
QString reversed(const QString& text);

} // namespace oltd
