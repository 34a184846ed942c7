#pragma once
// Lets the session thread sleep until its socket has something to read or
// another thread wakes it, whichever comes first. A wake-up that comes
// while the thread is not waiting is kept for its next wait.
//
// Threads: wait() on one thread (the session's), wake() on any.
//
// A waiter the platform could not equip (no event objects, no eventfd) is
// not valid, and a session must not run on it: its wait could only return
// at once, every time, and the thread would spin.

#include "SocketPlatform.h"

namespace netsdk {

class SocketWaiter
{
public:
    enum Outcome : int
    {
        Readable = 1,
        Woken = 2,
        // The platform could not wait on this socket; the session cannot go
        // on, since every further wait would fail the same way.
        Failed = 4,
    };

    SocketWaiter();
    ~SocketWaiter();
    SocketWaiter(const SocketWaiter &) = delete;
    SocketWaiter &operator=(const SocketWaiter &) = delete;

    // False when the platform gave no wake-up primitive.
    bool isValid() const;
    void wake();
    // Outcome bits; 0 when the deadline passed first. Consumes the wake-up.
    int wait(sock::Handle socket, Clock::time_point until);

private:
#ifdef _WIN32
    void *m_wakeEvent = nullptr;   // WSAEVENT, manual reset
    void *m_socketEvent = nullptr; // WSAEVENT bound to the socket's read and close
    sock::Handle m_selected = sock::kInvalid;
    bool m_closed = false;
#else
    int m_wakeFd = -1; // eventfd
#endif
};

} // namespace netsdk
