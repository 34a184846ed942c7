#pragma once
// Frames over one QTcpSocket: collects what arrives and writes frames out.
// Lives on the thread of its socket.
//
// The peer may send only the message types it is allowed (setAccepted), and
// a frame is refused as soon as its header shows a type or body length
// outside them, before the body is waited for. Bytes are taken from the
// socket only while less than one largest frame waits unparsed, so what a
// peer has sent but the server has not handled stays in the socket (and
// the peer's send window) instead of in memory here.

#include "Frame.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <initializer_list>
#include <vector>

class QTcpSocket;

class WireChannel
{
public:
    explicit WireChannel(QTcpSocket *socket);

    void setAccepted(std::initializer_list<std::uint16_t> types, std::uint32_t maxBody);
    // Takes what the socket has, up to the bound; false if nothing came.
    // Then next() gives the frames one by one: 1 = a frame, 0 = none yet,
    // -1 = the stream is malformed or not allowed (error says why).
    bool readAvailable();
    int next(tvwire::Frame &frame, QString &error);
    void send(std::uint16_t type, std::uint32_t session, std::uint32_t sequence,
              const std::vector<std::uint8_t> &body);

private:
    bool admissible(const std::uint8_t *data, std::size_t size, QString &error) const;

    QTcpSocket *m_socket;
    QByteArray m_bytes;
    int m_offset = 0;                  // bytes of m_bytes already handed out as frames
    std::uint32_t m_acceptedTypes = 0; // bit n: message type n
    std::uint32_t m_maxBody = 0;
};
