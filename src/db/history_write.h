#pragma once

namespace db {

// How a write guarded by a stored history went. Such a write holds only
// while the stored history is still the one the screen looked up, so an entry
// another desk made since is never written over; when it changes no row, the
// row is read again to tell the two misses apart.
enum class HistoryWrite {
    Written,
    Gone,    // no row has that number (any more)
    Changed, // the stored history is no longer the one looked up
};

} // namespace db
