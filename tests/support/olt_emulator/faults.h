#pragma once

#include <atomic>

namespace oltemu {

// Misbehaviour an emulator can be told to show; read by every session at the
// moment it matters, so a test can switch them while sessions run.
struct Faults {
    std::atomic<bool> wrongPassword{false};  // every login is refused
    std::atomic<bool> hostKeyChanged{false}; // SSH offers a different host key
    std::atomic<int> delayMs{0};             // every answer waits this long
    std::atomic<bool> dropMidOutput{false};  // hang up halfway through an answer
    std::atomic<bool> pagerStuck{false};     // paging stays on whatever is sent
    std::atomic<bool> garble{false};         // answers cut short and mangled
};

} // namespace oltemu
