#pragma once
// A non-blocking TCP socket (TCP_NODELAY) whose blocking operations all end
// by a deadline. Owns its socket.

#include "NameResolver.h"
#include "SocketPlatform.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace netsdk {

class TcpSocket
{
public:
    TcpSocket() = default;
    ~TcpSocket();
    TcpSocket(const TcpSocket &) = delete;
    TcpSocket &operator=(const TcpSocket &) = delete;
    TcpSocket(TcpSocket &&other) noexcept;
    TcpSocket &operator=(TcpSocket &&other) noexcept;

    // One connect attempt to host (numeric or name) and port, ending by the
    // deadline, name look-up included. Returns 0 or ErrConnectFailed /
    // ErrTimeOut.
    int connectTo(const std::string &host, std::uint16_t port, Clock::time_point deadline);
    // Sends everything or fails: 0, ErrTimeOut or ErrDisconnected.
    int sendAll(const std::uint8_t *data, std::size_t size, Clock::time_point deadline);
    // Waits until readable, then reads what is there: the byte count,
    // 0 at end of stream, ErrTimeOut or ErrDisconnected.
    long receive(std::uint8_t *buffer, std::size_t size, Clock::time_point deadline);

    sock::Handle handle() const { return m_handle; }
    bool isOpen() const { return m_handle != sock::kInvalid; }
    // Wakes a thread blocked on the socket without releasing the descriptor.
    void shutdown();
    void close();

private:
    int connectOne(const NameResolver::Address &address, Clock::time_point deadline);

    sock::Handle m_handle = sock::kInvalid;
};

} // namespace netsdk
