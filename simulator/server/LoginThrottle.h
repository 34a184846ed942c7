#pragma once
// Paces the answers to logins from a source address that keeps failing,
// so that guessing passwords over fresh connections is slow.
//
// The first kFreeFailures failures from a source cost nothing. After that
// its answers go out at most one per spacing, whatever the verdict (a fast
// answer must not tell a right guess from a wrong one): kFirstSpacingMs,
// doubling with each further failure up to kMaxSpacingMs. A success, or
// kQuietMs without a failure, forgives the source. The cap stays below the
// 2 s that a client's login try waits, so that a user who shares the
// address with a guesser trying one login at a time still gets in; a
// guesser that holds several connections queues their answers, and the
// user's waits behind them (the address is all that tells them apart). A
// guesser gets at most one answer per kMaxSpacingMs from each source
// address (IPv6: each /64).
//
// The caller holds the answer for the delay with a timer; nothing here
// waits. The table forgets the least recently seen source beyond
// kMaxSources, so that callers from many addresses cannot grow it.
//
// Not thread-safe: the main thread only. Times are milliseconds from any
// fixed start, so that tests can drive it with a fake clock.

#include <QByteArray>
#include <QHash>

#include <list>

class LoginThrottle
{
public:
    static constexpr int kFreeFailures = 3;
    static constexpr int kFirstSpacingMs = 250;
    static constexpr int kMaxSpacingMs = 1000;
    static constexpr qint64 kQuietMs = 60000;
    static constexpr int kMaxSources = 4096;

    // Records a login's verdict from `source` (ConnectionAdmission's key)
    // and returns how long its answer must wait, in ms (0: at once).
    int answer(const QByteArray &source, bool accepted, qint64 nowMs);
    int sources() const { return m_entries.size(); }

private:
    struct Entry
    {
        QByteArray source;
        int failures = 0;
        qint64 lastFailureMs = 0;
        qint64 nextAnswerMs = 0; // the earliest the next answer may go out
    };
    using Order = std::list<Entry>; // most recently seen first

    Order::iterator find(const QByteArray &source, qint64 nowMs);
    static int reserve(Entry &e, qint64 nowMs);

    Order m_order;
    QHash<QByteArray, Order::iterator> m_entries;
};
