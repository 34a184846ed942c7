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
#include <vector>

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
    std::vector<NameResolver::Address> addresses;
    int result = NameResolver::instance().resolve(host, port, deadline, addresses);
    if (result != 0)
        return result;
    result = ErrConnectFailed;
    for (const NameResolver::Address &address : addresses) {
        result = connectOne(address, deadline);
        if (result != ErrConnectFailed)
            break;
    }
    return result;
}

// 0 connected, ErrTimeOut at the deadline, ErrConnectFailed to try the next.
int TcpSocket::connectOne(const NameResolver::Address &address, Clock::time_point deadline)
{
    addrinfo ai{};
    ai.ai_family = address.family;
    ai.ai_socktype = address.socketType;
    ai.ai_protocol = address.protocol;
    ai.ai_addrlen = decltype(ai.ai_addrlen)(address.sockaddr.size());
    std::vector<std::uint8_t> raw(address.sockaddr); // aligned by the allocator
    ai.ai_addr = reinterpret_cast<sockaddr *>(raw.data());
    const sock::Handle h = sock::open(&ai);
    if (h == sock::kInvalid)
        return ErrConnectFailed;
    int rc = sock::beginConnect(h, &ai);
    if (rc == 1) {
        if (!sock::waitFor(h, sock::Writable, deadline)) {
            sock::close(h);
            return ErrTimeOut;
        }
        rc = sock::connectError(h) == 0 ? 0 : -1;
    }
    if (rc != 0) {
        sock::close(h);
        return ErrConnectFailed;
    }
    m_handle = h;
    return 0;
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
