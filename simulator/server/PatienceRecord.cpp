#include "PatienceRecord.h"

#include <iterator>

void PatienceRecord::heldBack(const QHostAddress &client, qint64 nowMs)
{
    if (!m_lastHeld.contains(client) && m_lastHeld.size() >= kMaxClients)
        makeRoom(nowMs);
    m_lastHeld.insert(client, nowMs);
}

bool PatienceRecord::recentlyHeldBack(const QHostAddress &client, qint64 nowMs) const
{
    const auto it = m_lastHeld.constFind(client);
    return it != m_lastHeld.cend() && nowMs - it.value() < kRememberMs;
}

// Linear, and only when the record is full: the forgotten first, else the
// one held back longest ago.
void PatienceRecord::makeRoom(qint64 nowMs)
{
    for (auto it = m_lastHeld.begin(); it != m_lastHeld.end();)
        it = nowMs - it.value() >= kRememberMs ? m_lastHeld.erase(it) : std::next(it);
    if (m_lastHeld.size() < kMaxClients)
        return;
    auto oldest = m_lastHeld.begin();
    for (auto it = m_lastHeld.begin(); it != m_lastHeld.end(); ++it)
        oldest = it.value() < oldest.value() ? it : oldest;
    m_lastHeld.erase(oldest);
}
