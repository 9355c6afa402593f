#include "oltd/result_store.h"

#include <QUuid>

namespace oltd {

ResultStore::ResultStore(int holdSeconds, int capacity)
    : m_holdSeconds(holdSeconds)
    , m_capacity(capacity) {}

void ResultStore::dropOld(const QDateTime& now, qsizetype atMost) {
    while (!m_order.empty()) {
        const auto it = m_kept.constFind(m_order.front());
        const bool expired = it == m_kept.cend() || it->at.addSecs(m_holdSeconds) < now;
        if (!expired && qsizetype(m_order.size()) <= atMost)
            break;
        m_kept.remove(m_order.front());
        m_order.pop_front();
    }
}

QString ResultStore::keep(const PageAnswer& answer, const QDateTime& now) {
    const QString key = QUuid::createUuid().toString(QUuid::Id128);
    const QMutexLocker lock(&m_mutex);
    dropOld(now, m_capacity - 1);
    m_kept.insert(key, {answer, now});
    m_order.push_back(key);
    return key;
}

std::optional<PageAnswer> ResultStore::find(const QString& key, const QDateTime& now) {
    const QMutexLocker lock(&m_mutex);
    dropOld(now, m_capacity);
    const auto it = m_kept.constFind(key);
    if (it == m_kept.cend() || it->at.addSecs(m_holdSeconds) < now)
        return std::nullopt;
    return it->answer;
}

} // namespace oltd
