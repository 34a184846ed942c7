#include "FrameBuffer.h"

#include "NetSdkCodes.h"
#include "ProtocolDecoder.h"

namespace netsdk {

void FrameBuffer::append(const std::uint8_t *data, std::size_t size)
{
    if (m_start > 0 && m_start == m_bytes.size()) {
        m_bytes.clear();
        m_start = 0;
    } else if (m_start > 64 * 1024) {
        m_bytes.erase(m_bytes.begin(), m_bytes.begin() + long(m_start));
        m_start = 0;
    }
    m_bytes.insert(m_bytes.end(), data, data + size);
}

int FrameBuffer::next(tvwire::Frame &frame, std::string &error)
{
    std::size_t consumed = 0;
    const auto r = tvwire::ProtocolDecoder::decode(
        m_bytes.data() + m_start, m_bytes.size() - m_start, frame, consumed, error);
    if (r == tvwire::ProtocolDecoder::Malformed)
        return ErrProtocol;
    if (r == tvwire::ProtocolDecoder::NeedMore)
        return 0;
    m_start += consumed;
    return 1;
}

int FrameBuffer::readFrom(TcpSocket &socket, Clock::time_point deadline, tvwire::Frame &frame)
{
    std::string error;
    for (;;) {
        const int r = next(frame, error);
        if (r != 0)
            return r == 1 ? 0 : r;
        std::uint8_t chunk[16 * 1024];
        const long n = socket.receive(chunk, sizeof chunk, deadline);
        if (n == 0)
            return ErrDisconnected;
        if (n < 0)
            return int(n);
        append(chunk, std::size_t(n));
    }
}

} // namespace netsdk
