#include "ProtocolEncoder.h"

#include "WireFormat.h"

#include <algorithm>

namespace tvwire {

namespace {

void put32(std::vector<std::uint8_t> &out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(v >> (8 * i)));
}

} // namespace

bool ProtocolEncoder::encode(const Frame &frame, std::vector<std::uint8_t> &out)
{
    if (frame.type < kFirstMessageType || frame.type > kLastMessageType)
        return false;
    if (frame.body.size() > maxBodyFor(frame.type))
        return false;
    out.reserve(out.size() + kHeaderSize + frame.body.size());
    out.insert(out.end(), kMagic, kMagic + 4);
    out.push_back(kVersion);
    out.push_back(0);
    out.push_back(std::uint8_t(frame.type));
    out.push_back(std::uint8_t(frame.type >> 8));
    put32(out, frame.session);
    put32(out, frame.sequence);
    put32(out, std::uint32_t(frame.body.size()));
    out.insert(out.end(), frame.body.begin(), frame.body.end());
    return true;
}

std::vector<std::uint8_t> ProtocolEncoder::encode(std::uint16_t type, std::uint32_t session,
                                                  std::uint32_t sequence,
                                                  const std::vector<std::uint8_t> &body)
{
    Frame f;
    f.type = type;
    f.session = session;
    f.sequence = sequence;
    f.body = body;
    std::vector<std::uint8_t> out;
    encode(f, out);
    return out;
}

void ProtocolEncoder::writeHeader(std::uint16_t type, std::uint32_t session, std::uint32_t sequence,
                                  std::uint32_t bodyLength, std::uint8_t *out)
{
    std::vector<std::uint8_t> header;
    header.reserve(kHeaderSize);
    header.insert(header.end(), kMagic, kMagic + 4);
    header.push_back(kVersion);
    header.push_back(0);
    header.push_back(std::uint8_t(type));
    header.push_back(std::uint8_t(type >> 8));
    put32(header, session);
    put32(header, sequence);
    put32(header, bodyLength);
    std::copy(header.begin(), header.end(), out);
}

} // namespace tvwire
