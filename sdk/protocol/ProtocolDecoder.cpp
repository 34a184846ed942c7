#include "ProtocolDecoder.h"

#include "WireFormat.h"

namespace tvwire {

namespace {

std::uint32_t le32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

// Checks whatever part of the header is present so that garbage is refused
// as early as possible instead of waiting for a full header.
bool checkHeaderPrefix(const std::uint8_t *data, std::size_t size, std::string &error)
{
    for (std::size_t i = 0; i < 4 && i < size; ++i) {
        if (data[i] != kMagic[i]) {
            error = "bad magic";
            return false;
        }
    }
    if (size > 4 && data[4] != kVersion) {
        error = "unsupported version " + std::to_string(data[4]);
        return false;
    }
    if (size > 5 && data[5] != 0) {
        error = "reserved flags set";
        return false;
    }
    const auto header = ProtocolDecoder::announced(data, size);
    if (header.hasType && (header.type < kFirstMessageType || header.type > kLastMessageType)) {
        error = "unknown message type " + std::to_string(header.type);
        return false;
    }
    return true;
}

} // namespace

ProtocolDecoder::Announced ProtocolDecoder::announced(const std::uint8_t *data, std::size_t size)
{
    Announced header;
    if (size >= 8) {
        header.hasType = true;
        header.type = std::uint16_t(data[6] | data[7] << 8);
    }
    if (size >= kHeaderSize) {
        header.hasLength = true;
        header.length = le32(data + 16);
    }
    return header;
}

ProtocolDecoder::Result ProtocolDecoder::decode(const std::uint8_t *data, std::size_t size,
                                                Frame &frame, std::size_t &consumed,
                                                std::string &error)
{
    consumed = 0;
    if (size > 0 && !data) {
        error = "null data";
        return Malformed;
    }
    if (!checkHeaderPrefix(data, size, error))
        return Malformed;
    if (size < kHeaderSize)
        return NeedMore;
    const Announced header = announced(data, size);
    const std::uint16_t type = header.type;
    const std::uint32_t length = header.length;
    if (length > maxBodyFor(type)) {
        error = "body of " + std::to_string(length) + " bytes exceeds the limit for type " +
                std::to_string(type);
        return Malformed;
    }
    if (size - kHeaderSize < length)
        return NeedMore;
    frame.type = type;
    frame.session = le32(data + 8);
    frame.sequence = le32(data + 12);
    frame.body.assign(data + kHeaderSize, data + kHeaderSize + length);
    consumed = kHeaderSize + length;
    return Complete;
}

} // namespace tvwire
