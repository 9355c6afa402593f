#pragma once

// Turns a fuzzer's bytes into the texts a parser takes. Texts are read as
// UTF-8 (invalid sequences become U+FFFD, as Qt reads a network answer) or,
// on the input's choice, as Latin-1, which reaches every byte value as a
// character of its own.

#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

namespace fuzz {

inline QString text(FuzzedDataProvider& in, size_t maxBytes = 4096) {
    const bool latin1 = in.ConsumeBool();
    const std::string bytes = in.ConsumeRandomLengthString(maxBytes);
    return latin1 ? QString::fromLatin1(bytes.data(), qsizetype(bytes.size()))
                  : QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

inline QString rest(FuzzedDataProvider& in) {
    const std::string bytes = in.ConsumeRemainingBytesAsString();
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

// A broken promise of the parser under test: say which, with the text it
// was about, and stop, so libFuzzer keeps the input as a crash.
inline void require(bool holds, const char* promise = "", const QString& about = {}) {
    if (holds)
        return;
    std::fprintf(stderr, "broken: %s\n%s\n", promise, about.toUtf8().constData());
    std::abort();
}

} // namespace fuzz
