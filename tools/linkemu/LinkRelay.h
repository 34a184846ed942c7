#pragma once
// One relayed connection: the client's socket and the server's, a pipe for
// each direction, and a thread that moves the bytes. The thread ends when
// both directions have closed, on any socket error, or when the shared stop
// descriptor becomes readable; the sockets close with it.

#include "LinkCounters.h"
#include "LinkShape.h"

#include <atomic>
#include <thread>

class LinkRelay
{
public:
    LinkRelay(int clientFd, int serverFd, const LinkShape &shape, LinkCounters &up,
              LinkCounters &down, int stopFd);
    ~LinkRelay(); // joins the thread (stop it first through the stop descriptor)
    LinkRelay(const LinkRelay &) = delete;
    LinkRelay &operator=(const LinkRelay &) = delete;

    bool finished() const { return m_finished.load(); }

private:
    void run();

    int m_client, m_server, m_stop;
    LinkShape m_shape;
    LinkCounters &m_up, &m_down;
    std::atomic<bool> m_finished{false};
    std::thread m_thread;
};
