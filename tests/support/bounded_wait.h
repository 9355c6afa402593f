#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>
#include <functional>

namespace support {

// How long an action took and when a 50 ms heartbeat fired meanwhile
// (milliseconds from the start).
struct TimedRun {
    qint64 elapsedMs = 0;
    QList<qint64> turnsMs;
    int ticks() const { return int(turnsMs.size()); }
    // The longest stretch of the run in which the heartbeat did not fire:
    // from the start, between two turns, or up to the end.
    qint64 longestStillMs() const;
};

TimedRun timedRun(const std::function<void()>& action);

// A UI that stood still this long was held by the action; a busy machine
// only spaces the heartbeat's turns out.
constexpr qint64 stallMs = 500;

// Checks a run against a service at its worst: it ended within the wait
// limit and a second, and the UI kept turning. A wait that blocks the UI
// stops the heartbeat for as long as it blocks (a timer's missed turns are
// not made up); a loaded machine makes the turns late and few, but never
// stops them for half a second. So a run fails only when it holds a still
// stretch of stallMs or more, however many turns it had elsewhere. Fails the
// current test through QtTest; the caller goes on only if
// !QTest::currentTestFailed(). Remembers the longest run for the figures.
void checkBounded(const TimedRun& run, int waitLimitSeconds);

// The embedded browser's engine starts on the first page any browser loads
// and holds the UI for most of a second while it does: a one-off the client
// accepts, not a wait on a service. Tests that time browser waits start it
// first, so the runs they check measure the service alone.
void startWebEngine();

// "1071 ms (function/case)": the longest run checked so far.
QString longestBoundedRun();

} // namespace support
