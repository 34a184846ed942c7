#pragma once
// Which connections a listener takes, so that idle connections from one
// source cannot keep every other user out.
//
// A connection is pending until it logs in (a P2P query never does). Each
// source address may hold only a few pending connections, well under the
// cap on all connections. When every slot is taken, a newcomer still gets
// in if some other address holds more pending connections than the
// newcomer's own: that address's oldest pending connection is closed to
// make room. Logged-in connections are never closed for a newcomer. While
// the listener is nearly full, new connections get a short login deadline.
//
// Sources are IPv4 addresses, and IPv6 ones by their /64 prefix, which one
// host usually holds whole. The tables hold only pending connections, so
// they stay within the connection cap however many addresses call.
//
// Not thread-safe: the listener's thread (the main thread) only. Ids are
// the caller's (a socket's address, say), unique while the connection is
// open.

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QSet>

#include <deque>

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

    Verdict admit(quintptr id, const QHostAddress &peer);
    void loggedIn(quintptr id);
    void closed(quintptr id);
    int open() const { return m_admitted.size(); }

private:
    quintptr oldestPendingElsewhere(const QByteArray &key, int ownPending) const;
    void removePending(quintptr id);

    const Limits m_limits;
    QSet<quintptr> m_admitted;
    QHash<quintptr, QByteArray> m_pendingSource;                // id -> source
    QHash<QByteArray, std::deque<quintptr>> m_pendingByAddress; // oldest first
    QHash<quintptr, quint64> m_arrival;                         // pending id -> order
    quint64 m_arrivals = 0;
};
