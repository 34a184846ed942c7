#include "LoginThrottle.h"

#include <QtGlobal>

int LoginThrottle::answer(const QByteArray &source, bool accepted, qint64 nowMs)
{
    const auto it = find(source, nowMs);
    if (it == m_order.end() && accepted)
        return 0;
    Entry *e = nullptr;
    if (it != m_order.end()) {
        m_order.splice(m_order.begin(), m_order, it);
        e = &m_order.front();
    } else {
        if (m_entries.size() >= kMaxSources) {
            m_entries.remove(m_order.back().source);
            m_order.pop_back();
        }
        m_order.push_front(Entry{source});
        e = &m_order.front();
        m_entries.insert(source, m_order.begin());
    }
    const int waitMs = reserve(*e, nowMs);
    if (accepted) {
        m_entries.remove(source);
        m_order.pop_front();
    } else {
        ++e->failures;
        e->lastFailureMs = nowMs;
    }
    return waitMs;
}

// The entry for `source`, or end() for one unknown or forgiven by now.
LoginThrottle::Order::iterator LoginThrottle::find(const QByteArray &source, qint64 nowMs)
{
    const auto it = m_entries.find(source);
    if (it == m_entries.end())
        return m_order.end();
    const Order::iterator entry = *it;
    if (nowMs - entry->lastFailureMs < kQuietMs)
        return entry;
    m_entries.erase(it);
    m_order.erase(entry);
    return m_order.end();
}

// The wait for this answer; the slot after it is taken.
int LoginThrottle::reserve(Entry &e, qint64 nowMs)
{
    if (e.failures < kFreeFailures)
        return 0;
    const int doublings = qMin(e.failures - kFreeFailures, 8);
    const qint64 spacing = qMin<qint64>(kMaxSpacingMs, qint64(kFirstSpacingMs) << doublings);
    const qint64 at = qMax(nowMs, e.nextAnswerMs);
    e.nextAnswerMs = at + spacing;
    return int(at - nowMs);
}
