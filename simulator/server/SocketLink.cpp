#include "SocketLink.h"

#include <QTcpSocket>

qint64 SocketLink::unsent() const
{
    return m_socket ? m_socket->bytesToWrite() : 0;
}

SocketQueue SocketLink::kernel() const
{
    return m_socket ? SocketQueue::read(int(m_socket->socketDescriptor())) : SocketQueue{};
}

void SocketLink::write(const std::uint8_t *head, std::size_t headSize, const std::uint8_t *body,
                       std::size_t bodySize)
{
    if (!open())
        return;
    m_socket->write(reinterpret_cast<const char *>(head), qint64(headSize));
    m_socket->write(reinterpret_cast<const char *>(body), qint64(bodySize));
    m_socket->flush();
}
