#pragma once
// Lets the session thread sleep until its socket has something to read or
// another thread wakes it, whichever comes first. A wake-up that comes
// while the thread is not waiting is kept for its next wait.
//
// Threads: wait() on one thread (the session's), wake() on any.

#include "SocketPlatform.h"

namespace netsdk {

class SocketWaiter
{
public:
    enum Outcome : int
    {
        Readable = 1,
        Woken = 2,
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
