#pragma once

#include "oltd/pages.h"

#include <QDateTime>
#include <QHash>
#include <QMutex>
#include <QString>
#include <deque>
#include <optional>

namespace oltd {

// The answers of configuring pages, held for a while so that the browser is
// sent on to them (303 See Other): Back or Reload then shows the result
// again instead of repeating a reboot, a reset or a clearing. Held in memory
// only, for a bounded time and number; the oldest go first.
class ResultStore {
public:
    explicit ResultStore(int holdSeconds = 15 * 60, int capacity = 1000);

    // Keeps the answer and returns the key to ask for it by: random, so one
    // desk cannot read another's results by counting.
    QString keep(const PageAnswer& answer, const QDateTime& now);
    // The answer kept under the key; nothing when unknown or expired.
    std::optional<PageAnswer> find(const QString& key, const QDateTime& now);

private:
    struct Kept {
        PageAnswer answer;
        QDateTime at;
    };
    // Drops the expired, and the oldest until at most atMost are left.
    void dropOld(const QDateTime& now, qsizetype atMost);

    int m_holdSeconds;
    int m_capacity;
    QHash<QString, Kept> m_kept;
    std::deque<QString> m_order; // keys, oldest first
    QMutex m_mutex;
};

} // namespace oltd
