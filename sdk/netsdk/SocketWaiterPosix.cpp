#include "SocketWaiter.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace netsdk {

SocketWaiter::SocketWaiter() : m_wakeFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

SocketWaiter::~SocketWaiter()
{
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

bool SocketWaiter::isValid() const
{
    return m_wakeFd >= 0;
}

void SocketWaiter::wake()
{
    const std::uint64_t one = 1;
    if (m_wakeFd >= 0 && ::write(m_wakeFd, &one, sizeof one) < 0) {
        // the counter is saturated: the thread is awake anyway
    }
}

int SocketWaiter::wait(sock::Handle socket, Clock::time_point until)
{
    pollfd fds[2] = {{socket, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
    if (::poll(fds, 2, millisecondsUntil(until)) < 0)
        return errno == EINTR ? 0 : Failed;
    int outcome = 0;
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR))
        outcome |= Readable;
    if (fds[1].revents & POLLIN) {
        std::uint64_t count = 0;
        if (::read(m_wakeFd, &count, sizeof count) > 0)
            outcome |= Woken;
    }
    return outcome;
}

} // namespace netsdk
