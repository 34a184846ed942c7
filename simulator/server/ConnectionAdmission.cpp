#include "ConnectionAdmission.h"

#include <QtGlobal>

#include <algorithm>
#include <tuple>

ConnectionAdmission::Limits ConnectionAdmission::limitsFor(int maxConnections, int loginTimeoutMs)
{
    Limits l;
    l.maxConnections = maxConnections;
    l.pendingPerAddress = qMax(2, maxConnections / 8);
    l.loginTimeoutMs = loginTimeoutMs;
    l.crowdedTimeoutMs = qMin(l.crowdedTimeoutMs, loginTimeoutMs);
    return l;
}

QByteArray ConnectionAdmission::sourceKey(const QHostAddress &address)
{
    bool v4 = false;
    const quint32 ipv4 = address.toIPv4Address(&v4); // IPv4-mapped IPv6 too
    if (v4)
        return QByteArray::number(ipv4);
    const Q_IPV6ADDR ipv6 = address.toIPv6Address();
    return QByteArray(reinterpret_cast<const char *>(ipv6.c), 8);
}

ConnectionAdmission::Verdict ConnectionAdmission::admit(quintptr id, const QHostAddress &peer,
                                                        qint64 nowMs)
{
    Verdict v;
    const QByteArray key = sourceKey(peer);
    const int ownPending = int(m_pendingByAddress.value(key).size());
    if (ownPending >= m_limits.pendingPerAddress)
        return v;
    if (open() >= m_limits.maxConnections) {
        if (spaced(key, nowMs))
            return v;
        v.evict = evictionFor(key, ownPending, nowMs);
        if (!v.evict)
            return v;
        // The address that lost its slot must wait, or it would take
        // another at once, and that one another, all in one turn. The
        // newcomer need not: a user asking the P2P service once per login
        // takes a slot for each query.
        space(m_pending.value(v.evict).source, nowMs);
        closed(v.evict);
    }
    v.admitted = true;
    m_admitted.insert(id);
    m_pending.insert(id, Pending{key, nowMs, ++m_arrivals, true});
    m_pendingByAddress[key].push_back(id);
    const bool crowded = open() * 100 >= m_limits.maxConnections * kCrowdedPercent;
    v.loginDeadlineMs = crowded ? m_limits.crowdedTimeoutMs : m_limits.loginTimeoutMs;
    return v;
}

// True while `key` may not take a slot from another connection: it lost
// one less than kSpacingMs ago, or too many addresses did for the table to
// remember them all. Amortised constant: each entry is dropped once.
bool ConnectionAdmission::spaced(const QByteArray &key, qint64 nowMs)
{
    while (!m_spaced.empty() && nowMs - m_spaced.front().first >= kSpacingMs) {
        const auto last = m_lastLost.find(m_spaced.front().second);
        if (last != m_lastLost.end() && *last == m_spaced.front().first)
            m_lastLost.erase(last);
        m_spaced.pop_front();
    }
    return m_lastLost.contains(key) || m_spaced.size() >= std::size_t(kMaxSpaced);
}

void ConnectionAdmission::space(const QByteArray &key, qint64 nowMs)
{
    m_spaced.emplace_back(nowMs, key);
    m_lastLost.insert(key, nowMs);
}

// The connection to close for a newcomer, of the addresses that hold more
// pending connections than the newcomer's would: one that has sat idle for
// kIdleMs before any other, then one of the address that holds the most,
// then the oldest; never one still in its grace. Linear in the pending
// connections, which the cap bounds.
quintptr ConnectionAdmission::evictionFor(const QByteArray &key, int ownPending, qint64 nowMs) const
{
    quintptr best = 0;
    auto rank = std::make_tuple(false, std::size_t(0), quint64(0));
    for (auto it = m_pendingByAddress.cbegin(); it != m_pendingByAddress.cend(); ++it) {
        if (it.key() == key || it->size() <= std::size_t(ownPending))
            continue;
        const quintptr candidate = candidateOf(*it, nowMs);
        if (!candidate)
            continue;
        const Pending &p = m_pending.find(candidate).value();
        // Greater is a better choice: long idle, more pending, older (a lower order).
        const auto r = std::make_tuple(longIdle(p, nowMs), it->size(), ~p.order);
        if (!best || r > rank) {
            best = candidate;
            rank = r;
        }
    }
    return best;
}

bool ConnectionAdmission::longIdle(const Pending &p, qint64 nowMs)
{
    return p.idle && nowMs - p.arrivalMs >= kIdleMs;
}

// Of one address's pending connections past their grace, the oldest long
// idle one, else the oldest.
quintptr ConnectionAdmission::candidateOf(const std::deque<quintptr> &ids, qint64 nowMs) const
{
    quintptr oldest = 0;
    for (const quintptr id : ids) {
        const Pending &p = m_pending.find(id).value();
        if (nowMs - p.arrivalMs < kGraceMs)
            continue;
        if (longIdle(p, nowMs))
            return id;
        oldest = oldest ? oldest : id;
    }
    return oldest;
}

void ConnectionAdmission::progressed(quintptr id)
{
    const auto it = m_pending.find(id);
    if (it != m_pending.end())
        it->idle = false;
}

void ConnectionAdmission::loggedIn(quintptr id)
{
    removePending(id);
}

void ConnectionAdmission::closed(quintptr id)
{
    m_admitted.remove(id);
    removePending(id);
}

void ConnectionAdmission::removePending(quintptr id)
{
    const auto pending = m_pending.find(id);
    if (pending == m_pending.end())
        return;
    const auto list = m_pendingByAddress.find(pending->source);
    if (list != m_pendingByAddress.end()) {
        list->erase(std::remove(list->begin(), list->end(), id), list->end());
        if (list->empty())
            m_pendingByAddress.erase(list);
    }
    m_pending.erase(pending);
}
