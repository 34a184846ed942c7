#include "WireChannel.h"

#include "ProtocolDecoder.h"
#include "ProtocolEncoder.h"
#include "WireFormat.h"

#include <QTcpSocket>

WireChannel::WireChannel(QTcpSocket *socket) : m_socket(socket) {}

void WireChannel::setAccepted(std::initializer_list<std::uint16_t> types, std::uint32_t maxBody)
{
    m_acceptedTypes = 0;
    for (std::uint16_t t : types)
        m_acceptedTypes |= std::uint32_t(1) << t;
    m_maxBody = maxBody;
}

bool WireChannel::readAvailable()
{
    // Dropping the handled bytes once per read, not once per frame, keeps
    // a burst of small frames linear.
    if (m_offset > 0) {
        m_bytes.remove(0, m_offset);
        m_offset = 0;
    }
    const qint64 room = qint64(tvwire::kHeaderSize + m_maxBody) - m_bytes.size();
    if (room <= 0)
        return false;
    const QByteArray more = m_socket->read(room);
    m_bytes.append(more);
    return !more.isEmpty();
}

bool WireChannel::admissible(const std::uint8_t *data, std::size_t size, QString &error) const
{
    const auto header = tvwire::ProtocolDecoder::announced(data, size);
    if (header.hasType &&
        (header.type >= 32 || !(m_acceptedTypes & (std::uint32_t(1) << header.type)))) {
        error = QString("message type %1 is not one this peer may send").arg(header.type);
        return false;
    }
    if (header.hasLength && header.length > m_maxBody) {
        error = QString("body of %1 bytes exceeds the %2 this peer may send now")
                    .arg(header.length)
                    .arg(m_maxBody);
        return false;
    }
    return true;
}

int WireChannel::next(tvwire::Frame &frame, QString &error)
{
    const auto *data = reinterpret_cast<const std::uint8_t *>(m_bytes.constData()) + m_offset;
    const std::size_t size = std::size_t(m_bytes.size() - m_offset);
    std::size_t consumed = 0;
    std::string why;
    const auto r = tvwire::ProtocolDecoder::decode(data, size, frame, consumed, why);
    if (r == tvwire::ProtocolDecoder::Malformed) {
        error = QString::fromStdString(why);
        return -1;
    }
    if (!admissible(data, size, error))
        return -1;
    if (r == tvwire::ProtocolDecoder::NeedMore)
        return 0;
    m_offset += int(consumed);
    if (m_offset == m_bytes.size()) {
        m_bytes.clear();
        m_offset = 0;
    }
    return 1;
}

void WireChannel::send(std::uint16_t type, std::uint32_t session, std::uint32_t sequence,
                       const std::vector<std::uint8_t> &body)
{
    const auto bytes = tvwire::ProtocolEncoder::encode(type, session, sequence, body);
    m_socket->write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size()));
}
