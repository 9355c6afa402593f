#pragma once

#include <QString>
#include <optional>

// Subscriber counts by state, as the status report shows them.
namespace masterdata {

// Every row counts in `total`; each state test stands on its own and
// compares exactly (case included), so the total may exceed the sum.
struct StatusTally {
    qint64 total = 0;
    qint64 active = 0;
    qint64 inactive = 0;
    qint64 deleted = 0;
    qint64 suspended = 0;
    qint64 markedForDeletion = 0;

    // One subscriber: the status as stored, the policy with its blanks at
    // either end removed here. A value the database holds no value for
    // (nullopt) passes no test that looks at it.
    void add(const std::optional<QString>& status, const std::optional<QString>& policy);
};

} // namespace masterdata
