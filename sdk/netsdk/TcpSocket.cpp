#include "TcpSocket.h"

#include "NetSdkCodes.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <sys/socket.h>
#endif

#include <string>

namespace netsdk {

int millisecondsUntil(Clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0)
        return 0;
    return left.count() > 1000000 ? 1000000 : int(left.count());
}

TcpSocket::~TcpSocket()
{
    close();
}

TcpSocket::TcpSocket(TcpSocket &&other) noexcept : m_handle(other.m_handle)
{
    other.m_handle = sock::kInvalid;
}

TcpSocket &TcpSocket::operator=(TcpSocket &&other) noexcept
{
    if (this != &other) {
        close();
        m_handle = other.m_handle;
        other.m_handle = sock::kInvalid;
    }
    return *this;
}

int TcpSocket::connectTo(const std::string &host, std::uint16_t port, Clock::time_point deadline)
{
    close();
    if (!sock::startup())
        return ErrConnectFailed;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *list = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list) != 0 || !list)
        return ErrConnectFailed;
    int result = ErrConnectFailed;
    for (const addrinfo *ai = list; ai && result != 0; ai = ai->ai_next) {
        const sock::Handle h = sock::open(ai);
        if (h == sock::kInvalid)
            continue;
        int rc = sock::beginConnect(h, ai);
        if (rc == 1) {
            if (!sock::waitFor(h, sock::Writable, deadline)) {
                sock::close(h);
                result = ErrTimeOut;
                break;
            }
            rc = sock::connectError(h) == 0 ? 0 : -1;
        }
        if (rc == 0) {
            m_handle = h;
            result = 0;
        } else {
            sock::close(h);
        }
    }
    ::freeaddrinfo(list);
    return result;
}

int TcpSocket::sendAll(const std::uint8_t *data, std::size_t size, Clock::time_point deadline)
{
    std::size_t sent = 0;
    while (sent < size) {
        if (m_handle == sock::kInvalid)
            return ErrDisconnected;
        const long n = sock::send(m_handle, data + sent, size - sent);
        if (n > 0) {
            sent += std::size_t(n);
            continue;
        }
        if (n == sock::kWouldBlock) {
            if (!sock::waitFor(m_handle, sock::Writable, deadline))
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
        if (m_handle == sock::kInvalid)
            return ErrDisconnected;
        const long n = sock::receive(m_handle, buffer, size);
        if (n >= 0)
            return n;
        if (n != sock::kWouldBlock)
            return ErrDisconnected;
        if (!sock::waitFor(m_handle, sock::Readable, deadline))
            return ErrTimeOut;
    }
}

void TcpSocket::shutdown()
{
    if (m_handle != sock::kInvalid)
        sock::shutdownBoth(m_handle);
}

void TcpSocket::close()
{
    if (m_handle != sock::kInvalid)
        sock::close(m_handle);
    m_handle = sock::kInvalid;
}

} // namespace netsdk
