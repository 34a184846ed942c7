#pragma once
// Builds a message body field by field, little-endian.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tvwire {

class BodyWriter
{
public:
    BodyWriter &u8(std::uint8_t v);
    BodyWriter &u16(std::uint16_t v);
    BodyWriter &u32(std::uint32_t v);
    BodyWriter &i32(std::int32_t v) { return u32(std::uint32_t(v)); }
    BodyWriter &bytes(const std::uint8_t *data, std::size_t size);
    BodyWriter &bytes(const std::vector<std::uint8_t> &data);
    BodyWriter &text(const std::string &s);

    const std::vector<std::uint8_t> &body() const { return m_body; }
    std::vector<std::uint8_t> take() { return std::move(m_body); }

private:
    std::vector<std::uint8_t> m_body;
};

} // namespace tvwire
