#pragma once
// Collects bytes received on one connection and hands out whole frames.

#include "Frame.h"
#include "TcpSocket.h"

#include <cstdint>
#include <string>
#include <vector>

namespace netsdk {

class FrameBuffer
{
public:
    void append(const std::uint8_t *data, std::size_t size);
    // 1 = a frame was taken, 0 = more bytes needed, ErrProtocol = the stream
    // is broken (`error` says how).
    int next(tvwire::Frame &frame, std::string &error);
    // Blocks until one frame has arrived on the socket or the deadline has
    // passed: 0, ErrTimeOut, ErrDisconnected or ErrProtocol.
    int readFrom(TcpSocket &socket, Clock::time_point deadline, tvwire::Frame &frame);

private:
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_start = 0;
};

} // namespace netsdk
