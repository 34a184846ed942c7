#pragma once
// A slow network path between a client and a server on this machine, in
// user space: it listens on loopback and relays every connection to the
// server through a LinkShape in each direction. Its sockets' buffers are
// small and it stops reading from a sender whose bytes fill the bottleneck
// queue, so a sender faster than the link sees its own socket's send queue
// fill, as on a real slow path.
//
// A connection on which no byte has moved either way for the idle time-out
// is closed, so that peers that vanished without closing do not hold the
// kMaxConnections slots for good.
//
// Threads: one accepts, one per connection relays; at most kMaxConnections
// at once. Memory per connection is bounded by the queue, the delay line
// (rate x delay, at most 4 MiB) and the socket buffers. Start and stop from
// one thread; the counters may be read from any.

#include "LinkCounters.h"
#include "LinkShape.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class LinkRelay;

class LinkEmulator
{
public:
    static constexpr int kMaxConnections = 16;
    // Longer than any silence of a live session: the client's keep-alives
    // and the recorder's pictures come every few seconds.
    static constexpr int kDefaultIdleTimeoutMs = 60000;

    // idleTimeoutMs 0 keeps silent connections open.
    explicit LinkEmulator(const LinkShape &shape, int idleTimeoutMs = kDefaultIdleTimeoutMs);
    ~LinkEmulator();
    LinkEmulator(const LinkEmulator &) = delete;
    LinkEmulator &operator=(const LinkEmulator &) = delete;

    // Listens on listenHost:listenPort (port 0 picks one) and relays to
    // targetHost:targetPort, IPv4 addresses only.
    bool start(std::uint16_t targetPort, std::string &error,
               const std::string &targetHost = "127.0.0.1",
               const std::string &listenHost = "127.0.0.1", std::uint16_t listenPort = 0);
    // Closes every relayed connection and joins the threads.
    void stop();
    std::uint16_t port() const { return m_port; }
    const LinkShape &shape() const { return m_shape; }
    const LinkCounters &upstream() const { return m_up; }     // client to server
    const LinkCounters &downstream() const { return m_down; } // server to client

private:
    void acceptLoop();
    void relay(int clientFd);
    int connectTarget() const;
    void setBuffers(int fd) const;

    LinkShape m_shape;
    int m_idleTimeoutMs;
    LinkCounters m_up, m_down;
    int m_listen = -1;
    int m_stopPipe[2] = {-1, -1};
    std::uint16_t m_port = 0;
    std::uint32_t m_target = 0; // network byte order
    std::uint16_t m_targetPort = 0;
    std::thread m_acceptor;
    std::vector<std::unique_ptr<LinkRelay>> m_relays; // the acceptor's own
};
