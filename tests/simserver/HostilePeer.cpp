#include "HostilePeer.h"

#include "LoginProof.h"
#include "Messages.h"
#include "ProtocolDecoder.h"
#include "ProtocolEncoder.h"
#include "WireFormat.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

HostilePeer::~HostilePeer()
{
    close();
}

void HostilePeer::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_in.clear();
    m_offset = 0;
}

bool HostilePeer::connectOnly(quint16 port)
{
    close();
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd >= 0 && m_receiveBuffer > 0)
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &m_receiveBuffer, sizeof m_receiveBuffer);
    if (m_fd >= 0 && m_source) {
        sockaddr_in from{};
        from.sin_family = AF_INET;
        if (::inet_pton(AF_INET, m_source, &from.sin_addr) != 1 ||
            ::bind(m_fd, reinterpret_cast<sockaddr *>(&from), sizeof from) != 0)
            return false;
    }
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return m_fd >= 0 && ::connect(m_fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
}

bool HostilePeer::connectTo(quint16 port, int timeoutMs)
{
    tvwire::Frame challenge;
    tvwire::Challenge c;
    if (!connectOnly(port) || readFrame(challenge, timeoutMs) != 1 ||
        challenge.type != tvwire::MsgChallenge || !tvwire::decodeBody(challenge.body, c))
        return false;
    m_nonce = c.nonce;
    return true;
}

QByteArray HostilePeer::frame(std::uint16_t type, std::uint32_t session, std::uint32_t sequence,
                              const std::vector<std::uint8_t> &body)
{
    const auto bytes = tvwire::ProtocolEncoder::encode(type, session, sequence, body);
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), int(bytes.size()));
}

QByteArray HostilePeer::loginFrame(const std::string &user, const std::string &password,
                                   std::uint32_t sequence) const
{
    tvwire::LoginRequest r;
    r.user = user;
    r.proof = tvwire::LoginProof::compute(password, m_nonce, user);
    return frame(tvwire::MsgLoginRequest, 0, sequence, tvwire::encodeBody(r));
}

int HostilePeer::login(const std::string &user, const std::string &password)
{
    tvwire::Frame f;
    tvwire::LoginReply reply;
    if (!send(loginFrame(user, password)) || readFrame(f, 3000) != 1 ||
        f.type != tvwire::MsgLoginReply || !tvwire::decodeBody(f.body, reply))
        return 1;
    m_session = f.session;
    return reply.result;
}

bool HostilePeer::send(const QByteArray &bytes)
{
    qint64 sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n =
            ::send(m_fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += n;
    }
    return true;
}

qint64 HostilePeer::sendSome(const QByteArray &bytes)
{
    const ssize_t n =
        ::send(m_fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
    return n < 0 ? 0 : n;
}

void HostilePeer::setReadRate(qint64 bytesPerSecond)
{
    m_readRate = bytesPerSecond;
    m_readTokens = 0;
    m_readClock.start();
}

// How much the read rate lets through now, waiting for at least one
// packet's worth while the deadline allows: 0 when it does not.
std::size_t HostilePeer::allowance(const QDeadlineTimer &deadline)
{
    constexpr double kPacket = 1448, kBurst = 4 * kPacket;
    for (;;) {
        m_readTokens =
            qMin(kBurst, m_readTokens + double(m_readRate) * m_readClock.nsecsElapsed() / 1e9);
        m_readClock.start();
        if (m_readTokens >= kPacket)
            return std::size_t(m_readTokens);
        const int waitMs = 1 + int((kPacket - m_readTokens) * 1000 / double(m_readRate));
        if (deadline.remainingTime() < waitMs)
            return 0;
        ::poll(nullptr, 0, waitMs); // the link's own pace, not a wait for an event
    }
}

// Waits for more bytes: 1 = some came, 0 = timeout, -1 = closed or broken.
int HostilePeer::fill(int timeoutMs)
{
    QDeadlineTimer deadline(qMax(0, timeoutMs));
    std::uint8_t chunk[65536];
    std::size_t most = sizeof chunk;
    if (m_readRate > 0 && (most = qMin(most, allowance(deadline))) == 0)
        return 0;
    pollfd p{m_fd, POLLIN, 0};
    if (::poll(&p, 1, int(deadline.remainingTime())) <= 0)
        return 0;
    const ssize_t n = ::recv(m_fd, chunk, most, 0);
    if (m_readRate > 0 && n > 0)
        m_readTokens -= double(n);
    if (n <= 0)
        return -1;
    m_in.erase(m_in.begin(), m_in.begin() + std::ptrdiff_t(m_offset));
    m_offset = 0;
    m_in.insert(m_in.end(), chunk, chunk + n);
    return 1;
}

int HostilePeer::readFrame(tvwire::Frame &frame, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        std::size_t consumed = 0;
        std::string error;
        const auto r = tvwire::ProtocolDecoder::decode(
            m_in.data() + m_offset, m_in.size() - m_offset, frame, consumed, error);
        if (r == tvwire::ProtocolDecoder::Malformed)
            return -1;
        if (r == tvwire::ProtocolDecoder::Complete) {
            m_offset += consumed;
            return 1;
        }
        const int got = fill(int(deadline.remainingTime()));
        if (got <= 0)
            return got;
    }
}

bool HostilePeer::waitClosed(int timeoutMs, int *frames)
{
    QDeadlineTimer deadline(timeoutMs);
    int count = 0;
    for (;;) {
        tvwire::Frame f;
        const int r = readFrame(f, int(deadline.remainingTime()));
        if (r == 1) {
            ++count;
            continue;
        }
        if (frames)
            *frames = count;
        return r < 0;
    }
}

double HostilePeer::keepAliveMs(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    const std::uint32_t sequence = nextSequence();
    if (!send(frame(tvwire::MsgKeepAlive, m_session, sequence, {})))
        return -1;
    tvwire::Frame f;
    while (readFrame(f, int(timeoutMs - clock.elapsed())) == 1) {
        if (f.type == tvwire::MsgKeepAliveReply && f.sequence == sequence)
            return double(clock.nsecsElapsed()) / 1e6;
    }
    return -1;
}
