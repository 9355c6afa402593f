#pragma once

#include "core/clock.h"

namespace support {

// A clock that shows whatever the test sets.
class SettableClock final : public core::Clock {
public:
    explicit SettableClock(QDateTime at = QDateTime(QDate(2021, 12, 4), QTime(21, 5)))
        : m_now(std::move(at)) {}
    QDateTime now() const override { return m_now; }
    void set(const QDateTime& at) { m_now = at; }
    void advance(qint64 seconds) { m_now = m_now.addSecs(seconds); }

private:
    QDateTime m_now;
};

} // namespace support
