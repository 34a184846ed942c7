#pragma once
// Which connections a listener takes, so that idle connections cannot keep
// every other user out, whether they come from one address or from many.
//
// A connection is pending until it logs in (a P2P query never does), and
// idle while it has sent nothing. Each source address may hold only a few
// pending connections, well under the cap on all connections. When every
// slot is taken, a newcomer still gets in by closing a pending connection
// of an address that holds more of them than the newcomer's own: one that
// has sent nothing for kIdleMs if there is any, then one of the address
// that holds the most, then the oldest. A connection that has begun its
// login is not favoured beyond that: a byte is all it costs an attacker,
// and a user's connection is idle for its first round trip. Two things keep
// a user's connection from going before it can log in:
//
// - A connection younger than kGraceMs is never closed for a newcomer, so
//   that its challenge leaves before it can go.
// - While the table is full, an address that lost a pending connection
//   to a newcomer may take a slot that way only kSpacingMs later. Addresses reopening as fast as
//   they are closed then each take a slot at most once per kSpacingMs, and only those without a
//   slot try: with 32 slots, A addresses each holding one connection leave
//   a newcomer about 32 / (A - 32) seconds on average (4 s for 40), where a
//   login needs one round trip. The newcomer itself need not wait, so a
//   user asking the P2P service once per login gets a slot every time.
//   Hundreds of addresses acting in step can still close a newcomer within
//   a second: spacing bounds an attacker by the addresses it holds.
//
// Logged-in connections are never closed for a newcomer. While the listener
// is nearly full, new connections get a short login deadline.
//
// Sources are IPv4 addresses, and IPv6 ones by their /64 prefix, which one
// host usually holds whole. The tables hold only pending connections and
// the addresses that lost a slot in the last kSpacingMs (at most
// kMaxSpaced), so they stay bounded however many addresses call.
//
// Not thread-safe: the listener's thread (the main thread) only. Ids are
// the caller's (a socket's address, say), unique while the connection is
// open. Times are the caller's milliseconds, from any fixed start.

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QSet>

#include <deque>
#include <utility>

class ConnectionAdmission
{
public:
    struct Limits
    {
        int maxConnections = 32;
        int pendingPerAddress = 4;
        int loginTimeoutMs = 10000;
        int crowdedTimeoutMs = 2000; // at least kCrowdedPercent of the slots taken
    };
    static constexpr int kCrowdedPercent = 75;
    static constexpr qint64 kGraceMs = 20;
    static constexpr qint64 kIdleMs = 1000;
    static constexpr qint64 kSpacingMs = 1000;
    static constexpr int kMaxSpaced = 4096;

    struct Verdict
    {
        bool admitted = false;
        quintptr evict = 0;      // close this pending connection first, if not 0
        int loginDeadlineMs = 0; // for an admitted connection
    };

    // Limits with pendingPerAddress derived from the cap (an eighth, at
    // least 2) and crowdedTimeoutMs no longer than loginTimeoutMs.
    static Limits limitsFor(int maxConnections, int loginTimeoutMs);
    static QByteArray sourceKey(const QHostAddress &address);

    explicit ConnectionAdmission(const Limits &limits) : m_limits(limits) {}

    Verdict admit(quintptr id, const QHostAddress &peer, qint64 nowMs);
    // The connection has sent its first bytes: it is no longer idle.
    void progressed(quintptr id);
    void loggedIn(quintptr id);
    void closed(quintptr id);
    int open() const { return m_admitted.size(); }

private:
    struct Pending
    {
        QByteArray source;
        qint64 arrivalMs = 0;
        quint64 order = 0;
        bool idle = true;
    };

    quintptr evictionFor(const QByteArray &key, int ownPending, qint64 nowMs) const;
    static bool longIdle(const Pending &p, qint64 nowMs);
    quintptr candidateOf(const std::deque<quintptr> &ids, qint64 nowMs) const;
    bool spaced(const QByteArray &key, qint64 nowMs);
    void space(const QByteArray &key, qint64 nowMs);
    void removePending(quintptr id);

    const Limits m_limits;
    QSet<quintptr> m_admitted;
    QHash<quintptr, Pending> m_pending;
    QHash<QByteArray, std::deque<quintptr>> m_pendingByAddress; // oldest first
    quint64 m_arrivals = 0;
    // Addresses that lost a slot to a newcomer lately, oldest first.
    std::deque<std::pair<qint64, QByteArray>> m_spaced;
    QHash<QByteArray, qint64> m_lastLost;
};
