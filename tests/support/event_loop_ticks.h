#pragma once

#include <QTimer>

namespace support {

// Counts the turns of a 50 ms timer while it lives: a wait that keeps the
// UI live lets it tick, a blocking one does not.
class EventLoopTicks {
public:
    EventLoopTicks() {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { ++m_count; });
        m_timer.start(50);
    }
    int count() const { return m_count; }

private:
    QTimer m_timer;
    int m_count = 0;
};

} // namespace support
