#include "LogBudget.h"

#include "SimLog.h"

#include <QtGlobal>

LogBudget::LogBudget(int burst, int perSecond, LogBudget *shared)
    : m_burst(burst), m_perSecond(perSecond), m_shared(shared), m_tokens(burst)
{
    m_elapsed.start();
    m_clock = [this] { return m_elapsed.elapsed(); };
}

LogBudget::~LogBudget()
{
    flushCounts();
    reportDropped();
}

void LogBudget::setClock(Clock clock)
{
    m_clock = std::move(clock);
    m_lastMs = m_clock();
}

void LogBudget::refill()
{
    const qint64 now = m_clock();
    m_tokens = qMin<double>(m_burst, m_tokens + (now - m_lastMs) * m_perSecond / 1e3);
    m_lastMs = now;
}

void LogBudget::write(const QString &prefix, const QString &line, bool error, bool always)
{
    refill();
    const QString text = prefix + line;
    if (!always && text == m_last) {
        ++m_repeats;
        return;
    }
    // The summary of what was left out costs a line too: a flood must not
    // get two lines for every one its budget allows.
    const int cost = (m_repeats || m_suppressed) ? 2 : 1;
    if (m_tokens < cost && !always) {
        ++m_suppressed;
        return;
    }
    if (!sharedAllows(1))
        return;
    m_tokens = qMax<double>(0, m_tokens - cost);
    flushCounts();
    m_prefix = prefix;
    m_last = text;
    emitLine(text, error);
}

// As the shared budget: takes `lines` from other budgets, or counts them
// as dropped when it is spent. The count goes out ahead of the next line
// let through.
bool LogBudget::sharedAllows(quint64 lines)
{
    if (!m_shared)
        return true;
    LogBudget &s = *m_shared;
    s.refill();
    if (s.m_tokens < 1) {
        s.m_droppedByOthers += lines;
        return false;
    }
    s.m_tokens -= 1;
    s.reportDropped();
    return true;
}

void LogBudget::reportDropped()
{
    if (m_droppedByOthers)
        SimLog::info(QString("%1 lines from all sessions not shown (server-wide log budget)")
                         .arg(m_droppedByOthers));
    m_droppedByOthers = 0;
}

void LogBudget::emitLine(const QString &text, bool error)
{
    if (error)
        SimLog::error(text);
    else
        SimLog::info(text);
}

// The summary lines cost from the shared budget too (one for both), so that
// sessions ending in a flood of connections cannot each write theirs.
void LogBudget::flushCounts()
{
    if (!m_repeats && !m_suppressed)
        return;
    if (sharedAllows(1)) {
        if (m_repeats)
            SimLog::info(m_prefix + QString("the line before came %1 more times").arg(m_repeats));
        if (m_suppressed)
            SimLog::info(m_prefix + QString("%1 lines not shown").arg(m_suppressed));
    } else if (m_shared) {
        m_shared->m_droppedByOthers += m_repeats + m_suppressed - 1; // one counted already
    }
    m_repeats = m_suppressed = 0;
}
