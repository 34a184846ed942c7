#pragma once
// A budget for log lines that a peer can cause. A peer decides how often
// its requests or connections log, so bursts are shown and a flood is
// counted and summed up once the budget allows a line again. A line equal
// to the one before is counted rather than repeated.
//
// Not thread-safe; each owner uses its own budget on the main thread.

#include <QElapsedTimer>
#include <QString>

class LogBudget
{
public:
    LogBudget(int burst, int perSecond);
    ~LogBudget();
    LogBudget(const LogBudget &) = delete;
    LogBudget &operator=(const LogBudget &) = delete;

    // Writes prefix + line as info or error. `always` lines (a session's
    // end, say) bypass the budget but still cost from it.
    void write(const QString &prefix, const QString &line, bool error, bool always = false);

private:
    void flushCounts();

    const int m_burst;
    const int m_perSecond;
    QElapsedTimer m_clock;
    double m_tokens;
    quint64 m_suppressed = 0;
    quint64 m_repeats = 0;
    QString m_prefix;
    QString m_last;
};
