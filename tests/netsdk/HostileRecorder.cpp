#include "HostileRecorder.h"

#include "Messages.h"
#include "ProtocolDecoder.h"
#include "ProtocolEncoder.h"
#include "WireFormat.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

bool HostileRecorder::Peer::writeAll(const std::vector<std::uint8_t> &bytes)
{
    if (m_socket.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size())) < 0)
        return false;
    while (m_socket.bytesToWrite() > 0) {
        if (!m_socket.waitForBytesWritten(5000))
            return false;
    }
    return true;
}

bool HostileRecorder::Peer::send(std::uint16_t type, const std::vector<std::uint8_t> &body,
                                 std::uint32_t sequence)
{
    const auto bytes = tvwire::ProtocolEncoder::encode(type, kSession, sequence, body);
    return writeAll(bytes);
}

bool HostileRecorder::Peer::read(tvwire::Frame &frame, int timeoutMs)
{
    for (;;) {
        std::size_t consumed = 0;
        std::string error;
        const auto r = tvwire::ProtocolDecoder::decode(
            reinterpret_cast<const std::uint8_t *>(m_pending.constData()),
            std::size_t(m_pending.size()), frame, consumed, error);
        if (r == tvwire::ProtocolDecoder::Complete) {
            m_pending.remove(0, int(consumed));
            return true;
        }
        if (r == tvwire::ProtocolDecoder::Malformed || !m_socket.waitForReadyRead(timeoutMs))
            return false;
        m_pending += m_socket.readAll();
    }
}

bool HostileRecorder::Peer::acceptLogin(std::int32_t channelsA, std::int32_t channelsB,
                                        const std::vector<std::uint8_t> &after)
{
    tvwire::Frame frame;
    tvwire::Challenge challenge{std::vector<std::uint8_t>(tvwire::kNonceSize, 7)};
    if (!send(tvwire::MsgChallenge, tvwire::encodeBody(challenge)) || !read(frame))
        return false;
    tvwire::LoginReply reply;
    reply.channelA = channelsA;
    reply.channelB = channelsB;
    auto bytes = tvwire::ProtocolEncoder::encode(tvwire::MsgLoginReply, kSession, 0,
                                                 tvwire::encodeBody(reply));
    bytes.insert(bytes.end(), after.begin(), after.end());
    return writeAll(bytes);
}

void HostileRecorder::Peer::sendMedia(std::uint32_t streamId, std::uint8_t kind, std::size_t size)
{
    tvwire::Media media{streamId, kind, std::vector<std::uint8_t>(size, 0)};
    media.data[3] = 1; // an Annex B start code
    send(tvwire::MsgMedia, tvwire::encodeBody(media));
}

bool HostileRecorder::Peer::trickle(const std::vector<std::uint8_t> &bytes, int gapMs)
{
    for (std::uint8_t byte : bytes) {
        if (!writeAll({byte}))
            return false;
        m_socket.waitForReadyRead(gapMs);
        m_socket.readAll();
        if (m_socket.state() != QAbstractSocket::ConnectedState)
            return false;
    }
    return true;
}

HostileRecorder::HostileRecorder(Script script, int acceptMs)
    : m_script(std::move(script)), m_acceptMs(acceptMs)
{
}

HostileRecorder::~HostileRecorder()
{
    if (m_thread.joinable())
        m_thread.join();
}

quint16 HostileRecorder::start()
{
    m_thread = std::thread([this] { run(); });
    while (m_port < 0)
        std::this_thread::yield();
    return quint16(m_port.load());
}

void HostileRecorder::run()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost)) {
        m_port = 0;
        return;
    }
    m_port = server.serverPort();
    if (!server.waitForNewConnection(m_acceptMs))
        return;
    QTcpSocket *socket = server.nextPendingConnection();
    Peer peer(*socket);
    m_script(peer);
    socket->close();
}
