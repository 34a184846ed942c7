#pragma once
// A viewer's media link over its session's connection. Main thread; the
// session owns both and tells the link when it hangs or closes.

#include "ViewerLink.h"

class QTcpSocket;

class SocketLink : public ViewerLink
{
public:
    explicit SocketLink(QTcpSocket *socket) : m_socket(socket) {}
    void close() { m_socket = nullptr; }
    void hang() { m_hung = true; }
    // Bytes the socket handed the kernel (channelBytesWritten).
    void handed(qint64 bytes) { m_toKernel += bytes; }

    bool open() const override { return m_socket && !m_hung; }
    qint64 unsent() const override;
    SocketQueue kernel() const override;
    qint64 handedToKernel() const override { return m_toKernel; }
    void write(const std::uint8_t *head, std::size_t headSize, const std::uint8_t *body,
               std::size_t bodySize) override;

private:
    QTcpSocket *m_socket;
    bool m_hung = false;
    qint64 m_toKernel = 0;
};
