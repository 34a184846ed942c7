#include "LogBudget.h"

#include "SimLog.h"

#include <QtGlobal>

LogBudget::LogBudget(int burst, int perSecond)
    : m_burst(burst), m_perSecond(perSecond), m_tokens(burst)
{
    m_clock.start();
}

LogBudget::~LogBudget()
{
    flushCounts();
}

void LogBudget::write(const QString &prefix, const QString &line, bool error, bool always)
{
    m_tokens = qMin<double>(m_burst, m_tokens + m_clock.restart() * m_perSecond / 1e3);
    const QString text = prefix + line;
    if (!always && text == m_last) {
        ++m_repeats;
        return;
    }
    if (m_tokens < 1 && !always) {
        ++m_suppressed;
        return;
    }
    m_tokens = qMax<double>(0, m_tokens - 1);
    flushCounts();
    m_prefix = prefix;
    m_last = text;
    if (error)
        SimLog::error(text);
    else
        SimLog::info(text);
}

void LogBudget::flushCounts()
{
    if (m_repeats)
        SimLog::info(m_prefix + QString("the line before came %1 more times").arg(m_repeats));
    if (m_suppressed)
        SimLog::info(m_prefix + QString("%1 lines not shown").arg(m_suppressed));
    m_repeats = m_suppressed = 0;
}
