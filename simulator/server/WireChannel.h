#pragma once
// Frames over one QTcpSocket: collects what arrives and writes frames out.
// Lives on the thread of its socket.

#include "Frame.h"

#include <QByteArray>
#include <QString>

#include <vector>

class QTcpSocket;

class WireChannel
{
public:
    explicit WireChannel(QTcpSocket *socket);

    // Reads what the socket has. Then next() gives the frames one by one:
    // 1 = a frame, 0 = none yet, -1 = the stream is malformed (error says why).
    void readAvailable();
    int next(tvwire::Frame &frame, QString &error);
    void send(std::uint16_t type, std::uint32_t session, std::uint32_t sequence,
              const std::vector<std::uint8_t> &body);

private:
    QTcpSocket *m_socket;
    QByteArray m_bytes;
};
