// The history texts of complaints and fault tickets: each entry is added
// after what was there, which is kept as it was.
#include "complaints/complaint_rules.h"
#include "faults/fault_rules.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const QString time = fuzz::text(in, 64);
    const QString user = fuzz::text(in, 64);
    const QString text = fuzz::text(in, 512);
    const QString history = fuzz::rest(in);
    fuzz::require(faults::withUpdateEntry(history, time, user, text).startsWith(history));
    fuzz::require(faults::withClosingEntry(history, time, user, text).startsWith(history));
    faults::openingEntry(time, user, text);
    complaints::updateEntry(time, user, text);
    complaints::closingEntry(time, user);
    complaints::hoursPending(history, QDateTime(QDate(2021, 12, 4), QTime(21, 5)));
    complaints::isApName(text);
    return 0;
}
