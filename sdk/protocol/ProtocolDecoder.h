#pragma once
// Turns bytes from the wire into frames. A pure function: it reads only the
// bytes it is given, allocates at most the body size the header announces
// (itself bounded by the per-type limit), and refuses anything malformed.

#include "Frame.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tvwire {

class ProtocolDecoder
{
public:
    enum Result
    {
        Complete, // one frame decoded; `consumed` bytes used
        NeedMore, // the bytes so far are a valid prefix of a frame
        Malformed // the stream cannot be a frame; `error` says why
    };

    static Result decode(const std::uint8_t *data, std::size_t size, Frame &frame,
                         std::size_t &consumed, std::string &error);

    // What a header announces as far as the bytes reach: the message type
    // once 8 bytes are there, the body length once the whole header is. A
    // receiver checks them against what it allows before the body comes.
    struct Announced
    {
        bool hasType = false;
        std::uint16_t type = 0;
        bool hasLength = false;
        std::uint32_t length = 0;
    };
    static Announced announced(const std::uint8_t *data, std::size_t size);
};

} // namespace tvwire
