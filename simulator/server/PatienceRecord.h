#pragma once
// The clients that held every other viewer back lately, by address.
//
// How long a viewer may hold the stream before it is given up on belongs
// to the client, not to one real play or one connection: otherwise a client
// that stops reading, gives up its play and starts another, or reconnects,
// would get the full patience each time and freeze everyone else most of
// the time. A client remembered here gets the short patience.
//
// Bounded: at most kMaxClients addresses; the oldest give way. Main thread.

#include <QHash>
#include <QHostAddress>

class PatienceRecord
{
public:
    static constexpr qint64 kRememberMs = 60 * 1000;
    static constexpr int kMaxClients = 1024;

    void heldBack(const QHostAddress &client, qint64 nowMs);
    bool recentlyHeldBack(const QHostAddress &client, qint64 nowMs) const;

private:
    void makeRoom(qint64 nowMs);

    QHash<QHostAddress, qint64> m_lastHeld; // ms
};
