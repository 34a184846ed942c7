#include "WireChannel.h"

#include "ProtocolDecoder.h"
#include "ProtocolEncoder.h"

#include <QTcpSocket>

WireChannel::WireChannel(QTcpSocket *socket) : m_socket(socket) {}

void WireChannel::readAvailable()
{
    m_bytes.append(m_socket->readAll());
}

int WireChannel::next(tvwire::Frame &frame, QString &error)
{
    std::size_t consumed = 0;
    std::string why;
    const auto r =
        tvwire::ProtocolDecoder::decode(reinterpret_cast<const std::uint8_t *>(m_bytes.constData()),
                                        std::size_t(m_bytes.size()), frame, consumed, why);
    if (r == tvwire::ProtocolDecoder::Malformed) {
        error = QString::fromStdString(why);
        return -1;
    }
    if (r == tvwire::ProtocolDecoder::NeedMore)
        return 0;
    m_bytes.remove(0, int(consumed));
    return 1;
}

void WireChannel::send(std::uint16_t type, std::uint32_t session, std::uint32_t sequence,
                       const std::vector<std::uint8_t> &body)
{
    const auto bytes = tvwire::ProtocolEncoder::encode(type, session, sequence, body);
    m_socket->write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size()));
}
