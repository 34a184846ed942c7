#include "BodyReader.h"

namespace tvwire {

BodyReader::BodyReader(const std::vector<std::uint8_t> &body)
    : m_data(body.data()), m_size(body.size())
{
}

bool BodyReader::take(std::size_t n, const std::uint8_t *&p)
{
    if (m_failed || m_size - m_pos < n) {
        m_failed = true;
        return false;
    }
    p = m_data + m_pos;
    m_pos += n;
    return true;
}

std::uint8_t BodyReader::u8()
{
    const std::uint8_t *p = nullptr;
    return take(1, p) ? p[0] : 0;
}

std::uint16_t BodyReader::u16()
{
    const std::uint8_t *p = nullptr;
    return take(2, p) ? std::uint16_t(p[0] | p[1] << 8) : 0;
}

std::uint32_t BodyReader::u32()
{
    const std::uint8_t *p = nullptr;
    if (!take(4, p))
        return 0;
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

std::vector<std::uint8_t> BodyReader::bytes(std::size_t maxLength)
{
    const std::uint32_t length = u32();
    if (length > maxLength)
        m_failed = true;
    const std::uint8_t *p = nullptr;
    if (m_failed || !take(length, p))
        return {};
    return std::vector<std::uint8_t>(p, p + length);
}

std::string BodyReader::text(std::size_t maxLength)
{
    const std::vector<std::uint8_t> raw = bytes(maxLength);
    return std::string(raw.begin(), raw.end());
}

} // namespace tvwire
