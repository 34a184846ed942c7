#pragma once
// One decoded message: the header fields and the body bytes.

#include <cstdint>
#include <vector>

namespace tvwire {

struct Frame
{
    std::uint16_t type = 0;
    std::uint32_t session = 0;
    std::uint32_t sequence = 0;
    std::vector<std::uint8_t> body;
};

} // namespace tvwire
