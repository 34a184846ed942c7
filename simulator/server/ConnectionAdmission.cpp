#include "ConnectionAdmission.h"

#include <QtGlobal>

#include <algorithm>

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

ConnectionAdmission::Verdict ConnectionAdmission::admit(quintptr id, const QHostAddress &peer)
{
    Verdict v;
    const QByteArray key = sourceKey(peer);
    const int ownPending = int(m_pendingByAddress.value(key).size());
    if (ownPending >= m_limits.pendingPerAddress)
        return v;
    if (open() >= m_limits.maxConnections) {
        v.evict = oldestPendingElsewhere(key, ownPending);
        if (!v.evict)
            return v;
        closed(v.evict);
    }
    v.admitted = true;
    m_admitted.insert(id);
    m_pendingSource.insert(id, key);
    m_pendingByAddress[key].push_back(id);
    m_arrival.insert(id, ++m_arrivals);
    const bool crowded = open() * 100 >= m_limits.maxConnections * kCrowdedPercent;
    v.loginDeadlineMs = crowded ? m_limits.crowdedTimeoutMs : m_limits.loginTimeoutMs;
    return v;
}

// The oldest pending connection of the address that holds the most, if it
// holds more than the newcomer's address would. Linear in the addresses
// with pending connections, which the cap bounds.
quintptr ConnectionAdmission::oldestPendingElsewhere(const QByteArray &key, int ownPending) const
{
    quintptr best = 0;
    std::size_t most = std::size_t(ownPending) + 1;
    quint64 bestArrival = 0;
    for (auto it = m_pendingByAddress.cbegin(); it != m_pendingByAddress.cend(); ++it) {
        if (it.key() == key || it->empty() || it->size() < most)
            continue;
        const quint64 arrival = m_arrival.value(it->front());
        if (it->size() > most || !best || arrival < bestArrival) {
            most = it->size();
            best = it->front();
            bestArrival = arrival;
        }
    }
    return best;
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
    const auto source = m_pendingSource.find(id);
    if (source == m_pendingSource.end())
        return;
    const auto list = m_pendingByAddress.find(*source);
    if (list != m_pendingByAddress.end()) {
        list->erase(std::remove(list->begin(), list->end(), id), list->end());
        if (list->empty())
            m_pendingByAddress.erase(list);
    }
    m_arrival.remove(id);
    m_pendingSource.erase(source);
}
