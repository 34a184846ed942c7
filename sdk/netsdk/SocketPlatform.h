#pragma once
// The few socket calls that differ between POSIX and Windows Sockets, so
// that TcpSocket and SocketWaiter hold no platform conditionals. Every
// socket opened here is non-blocking, has TCP_NODELAY set and is not
// inherited by child processes.

#include <chrono>
#include <cstddef>
#include <cstdint>

struct addrinfo;

namespace netsdk {

using Clock = std::chrono::steady_clock;

namespace sock {

#ifdef _WIN32
using Handle = std::uintptr_t; // SOCKET
constexpr Handle kInvalid = ~Handle(0);
#else
using Handle = int;
constexpr Handle kInvalid = -1;
#endif

enum Event : int
{
    Readable = 1,
    Writable = 2,
};

// Results of send and receive beyond a byte count.
constexpr long kWouldBlock = -1;
constexpr long kFailed = -2;

// Makes the socket library usable (Windows Sockets needs it once per
// process); false when it cannot be.
bool startup();
Handle open(const addrinfo *ai);
void close(Handle h);
// Ends both directions, waking a thread that waits on the socket.
void shutdownBoth(Handle h);
// 0 connected, 1 in progress (wait until writable, then connectError), -1 failed.
int beginConnect(Handle h, const addrinfo *ai);
// The outcome of a connect that was in progress: 0 when it succeeded.
int connectError(Handle h);
// A byte count, kWouldBlock or kFailed. receive gives 0 at end of stream.
long send(Handle h, const std::uint8_t *data, std::size_t size);
long receive(Handle h, std::uint8_t *buffer, std::size_t size);
// True when `event` came before the deadline (or the socket failed, which
// the following call then reports).
bool waitFor(Handle h, Event event, Clock::time_point deadline);

} // namespace sock

// Milliseconds from now until the deadline, at least 0, at most 1000 s.
int millisecondsUntil(Clock::time_point deadline);

} // namespace netsdk
