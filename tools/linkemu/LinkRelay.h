#pragma once
// One relayed connection: the client's socket and the server's, a pipe for
// each direction, and a thread that moves the bytes. The thread ends when
// both directions have closed, on any socket error, when no byte has moved
// either way for the idle time-out (if not 0), or when the shared stop
// descriptor becomes readable; the sockets close with it.

#include "LinkCounters.h"
#include "LinkShape.h"

#include <atomic>
#include <cstdint>
#include <thread>

class LinkRelay
{
public:
    LinkRelay(int clientFd, int serverFd, const LinkShape &shape, int idleTimeoutMs,
              LinkCounters &up, LinkCounters &down, int stopFd);
    ~LinkRelay(); // joins the thread (stop it first through the stop descriptor)
    LinkRelay(const LinkRelay &) = delete;
    LinkRelay &operator=(const LinkRelay &) = delete;

    bool finished() const { return m_finished.load(); }

private:
    void run();
    // Nanoseconds the connection may stay silent from now on, given the
    // bytes moved so far; -1 without a time-out, 0 when it is over.
    std::int64_t silenceLeft(std::int64_t moved, std::int64_t nowNs);

    int m_client, m_server, m_stop;
    LinkShape m_shape;
    std::int64_t m_idleNs;
    std::int64_t m_lastMoved = -1, m_activeNs = 0;
    LinkCounters &m_up, &m_down;
    std::atomic<bool> m_finished{false};
    std::thread m_thread;
};
