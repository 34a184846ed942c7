#include "LinkRelay.h"

#include "LinkClock.h"
#include "LinkPipe.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

namespace {
// One direction's sockets and state.
struct Direction
{
    int in, out;
    LinkPipe pipe;
    bool inEnded = false, outShut = false, blocked = false;
};

// Reads what the pipe has room for; false on a broken sender.
bool pull(Direction &d)
{
    char buffer[16 * 1024];
    const std::size_t want = std::min(sizeof buffer, d.pipe.room());
    if (want == 0)
        return true;
    const ssize_t n = ::recv(d.in, buffer, want, MSG_DONTWAIT);
    if (n > 0)
        d.pipe.push(buffer, std::size_t(n));
    else if (n == 0)
        d.inEnded = true;
    else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
        return false;
    return true;
}

// Releases and writes what is due; false when the connection is over.
bool advance(Direction &d, std::int64_t now)
{
    d.pipe.release(now);
    if (!d.pipe.flush(d.out, now, d.blocked))
        return false;
    if (d.inEnded && d.pipe.empty() && !d.outShut) {
        ::shutdown(d.out, SHUT_WR);
        d.outShut = true;
    }
    return true;
}
} // namespace

LinkRelay::LinkRelay(int clientFd, int serverFd, const LinkShape &shape, int idleTimeoutMs,
                     LinkCounters &up, LinkCounters &down, int stopFd)
    : m_client(clientFd), m_server(serverFd), m_stop(stopFd), m_shape(shape),
      m_idleNs(std::int64_t(idleTimeoutMs) * 1000000), m_up(up), m_down(down),
      m_thread([this] { run(); })
{
}

std::int64_t LinkRelay::silenceLeft(std::int64_t moved, std::int64_t nowNs)
{
    if (moved != m_lastMoved) {
        m_lastMoved = moved;
        m_activeNs = nowNs;
    }
    if (m_idleNs <= 0)
        return -1;
    return std::max<std::int64_t>(0, m_activeNs + m_idleNs - nowNs);
}

LinkRelay::~LinkRelay()
{
    if (m_thread.joinable())
        m_thread.join();
}

void LinkRelay::run()
{
    const std::int64_t start = LinkClock::nowNs();
    Direction dirs[2] = {{m_client, m_server, LinkPipe(m_shape, m_up, start)},
                         {m_server, m_client, LinkPipe(m_shape, m_down, start)}};
    for (;;) {
        const std::int64_t now = LinkClock::nowNs();
        if (!advance(dirs[0], now) || !advance(dirs[1], now))
            break;
        if (dirs[0].outShut && dirs[1].outShut)
            break;
        std::int64_t wait = silenceLeft(dirs[0].pipe.moved() + dirs[1].pipe.moved(), now);
        if (wait == 0)
            break;
        pollfd fds[3] = {{m_client, 0, 0}, {m_server, 0, 0}, {m_stop, POLLIN, 0}};
        for (Direction &d : dirs) {
            pollfd &in = fds[d.in == m_client ? 0 : 1];
            pollfd &out = fds[d.out == m_client ? 0 : 1];
            if (!d.inEnded && d.pipe.room() > 0)
                in.events |= POLLIN;
            if (d.blocked)
                out.events |= POLLOUT;
            const std::int64_t next = d.pipe.nextEventNs(now, d.blocked);
            if (next >= 0)
                wait = wait < 0 ? next : std::min(wait, next);
        }
        // A socket that is waited on for nothing must not wake the loop
        // with a hang-up it cannot act on yet.
        for (int i = 0; i < 2; ++i)
            if (fds[i].events == 0)
                fds[i].fd = -1;
        timespec timeout{time_t(wait / 1000000000), long(wait % 1000000000)};
        if (::ppoll(fds, 3, wait < 0 ? nullptr : &timeout, nullptr) < 0 && errno != EINTR)
            break;
        if (fds[2].revents)
            break;
        // An error or hang-up shows up as a failed or empty read.
        bool ok = true;
        for (Direction &d : dirs)
            if (fds[d.in == m_client ? 0 : 1].revents & (POLLIN | POLLHUP | POLLERR))
                ok = ok && pull(d);
        if (!ok)
            break;
    }
    ::close(m_client);
    ::close(m_server);
    m_finished.store(true);
}
