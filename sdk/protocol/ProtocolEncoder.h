#pragma once
// Turns a frame into its bytes on the wire.

#include "Frame.h"

#include <cstdint>
#include <vector>

namespace tvwire {

class ProtocolEncoder
{
public:
    // Appends the encoded frame to `out`. False (and nothing appended) when
    // the type is unknown or the body exceeds the limit for its type.
    static bool encode(const Frame &frame, std::vector<std::uint8_t> &out);
    static std::vector<std::uint8_t> encode(std::uint16_t type, std::uint32_t session,
                                            std::uint32_t sequence,
                                            const std::vector<std::uint8_t> &body);
    // Writes just the header, for senders that keep a large body elsewhere
    // and would rather not copy it. The caller checks the body limit.
    static void writeHeader(std::uint16_t type, std::uint32_t session, std::uint32_t sequence,
                            std::uint32_t bodyLength, std::uint8_t *out);
};

} // namespace tvwire
