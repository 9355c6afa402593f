// Date and time texts: the reader of every date text the product writes or
// a server returns, and the boundary counts the boards compute from them.
#include "complaints/complaint_rules.h"
#include "core/text_formats.h"
#include "fuzz_input.h"

using namespace core::formats;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const QString first = fuzz::text(in, 64);
    const QString second = fuzz::text(in, 64);
    const auto a = parseDateTime(first);
    const auto b = parseDateTime(second);
    for (const auto& t : {a, b}) {
        if (!t)
            continue;
        fuzz::require(t->isValid());
        // What the database hands back reads as the same instant.
        fuzz::require(parseDateTime(isoDateTime(*t)) == t->addMSecs(-t->time().msec()));
        shortDateTime(*t);
        usDateTime(*t);
        periodStart(t->date());
    }
    if (a && b) {
        const qint64 hours = hourBoundaries(*a, *b);
        fuzz::require(hours == -hourBoundaries(*b, *a));
        fuzz::require((dayBoundaries(*a, *b) >= 0) == (*a <= *b || dayBoundaries(*a, *b) == 0));
        complaints::hoursPending(first, *b);
    }
    return 0;
}
