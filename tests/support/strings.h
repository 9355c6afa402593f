#pragma once

#include <QStringList>
#include <initializer_list>

namespace support {

// A list of texts written as plain literals in a test table.
inline QStringList strings(std::initializer_list<const char*> texts) {
    QStringList out;
    for (const char* t : texts)
        out << QString::fromUtf8(t);
    return out;
}

} // namespace support
