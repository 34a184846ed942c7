#include "BodyWriter.h"

namespace tvwire {

BodyWriter &BodyWriter::u8(std::uint8_t v)
{
    m_body.push_back(v);
    return *this;
}

BodyWriter &BodyWriter::u16(std::uint16_t v)
{
    m_body.push_back(std::uint8_t(v));
    m_body.push_back(std::uint8_t(v >> 8));
    return *this;
}

BodyWriter &BodyWriter::u32(std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        m_body.push_back(std::uint8_t(v >> (8 * i)));
    return *this;
}

BodyWriter &BodyWriter::bytes(const std::uint8_t *data, std::size_t size)
{
    u32(std::uint32_t(size));
    if (size)
        m_body.insert(m_body.end(), data, data + size);
    return *this;
}

BodyWriter &BodyWriter::bytes(const std::vector<std::uint8_t> &data)
{
    return bytes(data.data(), data.size());
}

BodyWriter &BodyWriter::text(const std::string &s)
{
    return bytes(reinterpret_cast<const std::uint8_t *>(s.data()), s.size());
}

} // namespace tvwire
