#pragma once
// Reads the fields of a message body. Every read is bounds-checked: a read
// past the end, or a length field larger than its limit, marks the reader
// failed and yields zero/empty values from then on.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tvwire {

class BodyReader
{
public:
    explicit BodyReader(const std::vector<std::uint8_t> &body);

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    std::int32_t i32() { return std::int32_t(u32()); }
    // Length-prefixed (u32) byte string of at most maxLength bytes.
    std::vector<std::uint8_t> bytes(std::size_t maxLength);
    std::string text(std::size_t maxLength);

    bool failed() const { return m_failed; }
    // True when every byte was read and nothing failed: bodies with
    // trailing bytes are refused as well.
    bool done() const { return !m_failed && m_pos == m_size; }

private:
    bool take(std::size_t n, const std::uint8_t *&p);

    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    bool m_failed = false;
};

} // namespace tvwire
