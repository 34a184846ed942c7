#include "HoldAllowance.h"

#include <algorithm>

bool HoldAllowance::spend(qint64 nowMs, qint64 ms)
{
    if (left(nowMs) < ms)
        return false;
    m_leftUs -= ms * 1000;
    return true;
}

qint64 HoldAllowance::left(qint64 nowMs)
{
    if (m_lastMs >= 0 && nowMs > m_lastMs)
        m_leftUs = std::min(kBurstMs * 1000, m_leftUs + (nowMs - m_lastMs) * kPerSecondMs);
    m_lastMs = std::max(m_lastMs, nowMs);
    return m_leftUs / 1000;
}
