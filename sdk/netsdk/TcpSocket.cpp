#include "TcpSocket.h"

#include "NetSdkCodes.h"

#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace netsdk {

int millisecondsUntil(Clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0)
        return 0;
    return left.count() > 1000000 ? 1000000 : int(left.count());
}

namespace {

// Waits for `events` on fd; true when they came before the deadline.
bool waitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, millisecondsUntil(deadline));
        if (n > 0)
            return true;
        if (n == 0)
            return false;
        if (errno != EINTR)
            return true; // let the following call report the error
    }
}

int openNonBlocking(const addrinfo *ai)
{
    const int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC, ai->ai_protocol);
    if (fd < 0)
        return -1;
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    return fd;
}

} // namespace

TcpSocket::~TcpSocket()
{
    close();
}

TcpSocket::TcpSocket(TcpSocket &&other) noexcept : m_fd(other.m_fd)
{
    other.m_fd = -1;
}

TcpSocket &TcpSocket::operator=(TcpSocket &&other) noexcept
{
    if (this != &other) {
        close();
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

int TcpSocket::connectTo(const std::string &host, std::uint16_t port, Clock::time_point deadline)
{
    close();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *list = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list) != 0 || !list)
        return ErrConnectFailed;
    int result = ErrConnectFailed;
    for (const addrinfo *ai = list; ai && result != 0; ai = ai->ai_next) {
        const int fd = openNonBlocking(ai);
        if (fd < 0)
            continue;
        int rc = ::connect(fd, ai->ai_addr, ai->ai_addrlen);
        if (rc != 0 && errno == EINPROGRESS) {
            if (!waitFor(fd, POLLOUT, deadline)) {
                ::close(fd);
                result = ErrTimeOut;
                break;
            }
            int err = 0;
            socklen_t len = sizeof err;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len);
            rc = err == 0 ? 0 : -1;
        }
        if (rc == 0) {
            m_fd = fd;
            result = 0;
        } else {
            ::close(fd);
        }
    }
    ::freeaddrinfo(list);
    return result;
}

int TcpSocket::sendAll(const std::uint8_t *data, std::size_t size, Clock::time_point deadline)
{
    std::size_t sent = 0;
    while (sent < size) {
        if (m_fd < 0)
            return ErrDisconnected;
        const ssize_t n = ::send(m_fd, data + sent, size - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += std::size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!waitFor(m_fd, POLLOUT, deadline))
                return ErrTimeOut;
            continue;
        }
        return ErrDisconnected;
    }
    return 0;
}

long TcpSocket::receive(std::uint8_t *buffer, std::size_t size, Clock::time_point deadline)
{
    for (;;) {
        if (m_fd < 0)
            return ErrDisconnected;
        const ssize_t n = ::recv(m_fd, buffer, size, 0);
        if (n >= 0)
            return long(n);
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return ErrDisconnected;
        if (!waitFor(m_fd, POLLIN, deadline))
            return ErrTimeOut;
    }
}

void TcpSocket::shutdown()
{
    if (m_fd >= 0)
        ::shutdown(m_fd, SHUT_RDWR);
}

void TcpSocket::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

} // namespace netsdk
