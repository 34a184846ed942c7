#include "SocketPlatform.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>

namespace netsdk::sock {

namespace {

SOCKET native(Handle h)
{
    return SOCKET(h);
}

bool wouldBlock()
{
    const int err = ::WSAGetLastError();
    return err == WSAEWOULDBLOCK || err == WSAEINPROGRESS;
}

} // namespace

// The library is never shut down: sessions may still be ending on their
// own threads when the process exits, and the system releases it then.
bool startup()
{
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] {
        WSADATA data;
        ready = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    });
    return ready;
}

Handle open(const addrinfo *ai)
{
    // WSA_FLAG_NO_HANDLE_INHERIT keeps the socket out of child processes,
    // as SOCK_CLOEXEC does on POSIX.
    const SOCKET s = ::WSASocketW(ai->ai_family, ai->ai_socktype, ai->ai_protocol, nullptr, 0,
                                  WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET)
        return kInvalid;
    const BOOL on = TRUE;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char *>(&on), sizeof on);
    u_long nonBlocking = 1;
    ::ioctlsocket(s, FIONBIO, &nonBlocking);
    return Handle(s);
}

void close(Handle h)
{
    ::closesocket(native(h));
}

void shutdownBoth(Handle h)
{
    ::shutdown(native(h), SD_BOTH);
}

int beginConnect(Handle h, const addrinfo *ai)
{
    if (::connect(native(h), ai->ai_addr, int(ai->ai_addrlen)) == 0)
        return 0;
    return wouldBlock() ? 1 : -1;
}

int connectError(Handle h)
{
    int err = 0;
    int len = sizeof err;
    if (::getsockopt(native(h), SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&err), &len) != 0)
        return -1;
    return err;
}

long send(Handle h, const std::uint8_t *data, std::size_t size)
{
    // One call carries at most INT_MAX bytes; sendAll loops for the rest.
    const int chunk = size > 0x40000000u ? 0x40000000 : int(size);
    const int n = ::send(native(h), reinterpret_cast<const char *>(data), chunk, 0);
    if (n >= 0)
        return long(n);
    return wouldBlock() ? kWouldBlock : kFailed;
}

long receive(Handle h, std::uint8_t *buffer, std::size_t size)
{
    const int chunk = size > 0x40000000u ? 0x40000000 : int(size);
    const int n = ::recv(native(h), reinterpret_cast<char *>(buffer), chunk, 0);
    if (n >= 0)
        return long(n);
    return wouldBlock() ? kWouldBlock : kFailed;
}

bool waitFor(Handle h, Event event, Clock::time_point deadline)
{
    // A failed connect shows in the exception set, not the write set.
    fd_set wanted, failed;
    FD_ZERO(&wanted);
    FD_ZERO(&failed);
    FD_SET(native(h), &wanted);
    FD_SET(native(h), &failed);
    const int ms = millisecondsUntil(deadline);
    timeval tv{ms / 1000, (ms % 1000) * 1000};
    const int n = event == Readable ? ::select(0, &wanted, nullptr, &failed, &tv)
                                    : ::select(0, nullptr, &wanted, &failed, &tv);
    return n != 0;
}

} // namespace netsdk::sock
