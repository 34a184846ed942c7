#include "SocketPlatform.h"

#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace netsdk::sock {

bool startup()
{
    return true;
}

Handle open(const addrinfo *ai)
{
    const int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC, ai->ai_protocol);
    if (fd < 0)
        return kInvalid;
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    return fd;
}

void close(Handle h)
{
    ::close(h);
}

void shutdownBoth(Handle h)
{
    ::shutdown(h, SHUT_RDWR);
}

int beginConnect(Handle h, const addrinfo *ai)
{
    if (::connect(h, ai->ai_addr, ai->ai_addrlen) == 0)
        return 0;
    return errno == EINPROGRESS ? 1 : -1;
}

int connectError(Handle h)
{
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(h, SOL_SOCKET, SO_ERROR, &err, &len) != 0)
        return -1;
    return err;
}

long send(Handle h, const std::uint8_t *data, std::size_t size)
{
    for (;;) {
        const ssize_t n = ::send(h, data, size, MSG_NOSIGNAL);
        if (n >= 0)
            return long(n);
        if (errno == EINTR)
            continue;
        return errno == EAGAIN || errno == EWOULDBLOCK ? kWouldBlock : kFailed;
    }
}

long receive(Handle h, std::uint8_t *buffer, std::size_t size)
{
    for (;;) {
        const ssize_t n = ::recv(h, buffer, size, 0);
        if (n >= 0)
            return long(n);
        if (errno == EINTR)
            continue;
        return errno == EAGAIN || errno == EWOULDBLOCK ? kWouldBlock : kFailed;
    }
}

bool waitFor(Handle h, Event event, Clock::time_point deadline)
{
    for (;;) {
        pollfd p{h, short(event == Readable ? POLLIN : POLLOUT), 0};
        const int n = ::poll(&p, 1, millisecondsUntil(deadline));
        if (n > 0)
            return true;
        if (n == 0)
            return false;
        if (errno != EINTR)
            return true;
    }
}

} // namespace netsdk::sock
