#pragma once
// A budget for log lines that a peer can cause. A peer decides how often
// its requests or connections log, so bursts are shown and a flood is
// counted and summed up once the budget allows a line and its summary
// again. A line equal to the one before is counted rather than repeated.
//
// Each connection brings a budget of its own, so a peer that opens
// connection after connection would still write without bound; every line
// therefore also costs from a shared, server-wide budget (the server's,
// kServerBurst and kServerPerSecond), which even the lines that bypass
// their own budget (a session's end) cannot pass. What it drops is counted
// and reported with the next line it lets through.
//
// Not thread-safe: every budget, the server-wide one included, is used on
// the main thread only.

#include <QElapsedTimer>
#include <QString>

#include <functional>

class LogBudget
{
public:
    static constexpr int kServerBurst = 1000; // lines
    static constexpr int kServerPerSecond = 100;

    // Milliseconds from any fixed start; tests give a fake one.
    using Clock = std::function<qint64()>;

    // `shared` is the budget every line also costs from; nullptr for none.
    LogBudget(int burst, int perSecond, LogBudget *shared);
    ~LogBudget();
    LogBudget(const LogBudget &) = delete;
    LogBudget &operator=(const LogBudget &) = delete;

    void setClock(Clock clock);

    // Writes prefix + line as info or error. `always` lines (a session's
    // end, say) bypass this budget but still cost from it, and from the
    // shared one, which they cannot bypass.
    void write(const QString &prefix, const QString &line, bool error, bool always = false);

private:
    void refill();
    bool sharedAllows(quint64 lines);
    void reportDropped();
    void emitLine(const QString &text, bool error);
    void flushCounts();

    const int m_burst;
    const int m_perSecond;
    LogBudget *const m_shared;
    QElapsedTimer m_elapsed;
    Clock m_clock;
    qint64 m_lastMs = 0;
    double m_tokens;
    quint64 m_suppressed = 0;
    quint64 m_repeats = 0;
    quint64 m_droppedByOthers = 0; // as the shared budget: lines it refused
    QString m_prefix;
    QString m_last;
};
