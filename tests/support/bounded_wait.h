#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

namespace support {

// How long an action took and how often a 50 ms heartbeat fired meanwhile.
struct TimedRun {
    qint64 elapsedMs = 0;
    int ticks = 0;
};

TimedRun timedRun(const std::function<void()>& action);

// Checks a run against a service at its worst: it ended within the wait
// limit and a second, and the UI kept turning. A wait that blocked the UI
// lets the heartbeat fire once at most (a timer's missed turns are not made
// up); a busy machine may slow it, so only a standstill counts. Fails the
// current test through QtTest; the caller goes on only if
// !QTest::currentTestFailed(). Remembers the longest run for the figures.
void checkBounded(const TimedRun& run, int waitLimitSeconds);

// "1071 ms (function/case)": the longest run checked so far.
QString longestBoundedRun();

} // namespace support
