#include "WireClient.h"

#include "sdk/protocol/LoginProof.h"
#include "sdk/protocol/Messages.h"
#include "sdk/protocol/ProtocolDecoder.h"
#include "sdk/protocol/ProtocolEncoder.h"
#include "sdk/protocol/WireFormat.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? int(left.count()) : 0;
}

sockaddr_in address(std::uint32_t host, std::uint16_t port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(host);
    a.sin_port = htons(port);
    return a;
}
} // namespace

WireClient::~WireClient()
{
    close();
}

std::uint32_t WireClient::loopback(int n)
{
    return 0x7F000000u + std::uint32_t(n / 250) * 256u + std::uint32_t(n % 250) + 2u;
}

bool WireClient::connectTo(std::uint16_t port, std::uint32_t source, int timeoutMs, int rcvbuf)
{
    close();
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_fd < 0)
        return false;
    const int one = 1;
    ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (rcvbuf > 0)
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &rcvbuf, sizeof rcvbuf);
    const sockaddr_in from = address(source, 0), to = address(0x7F000001u, port);
    if (::bind(m_fd, reinterpret_cast<const sockaddr *>(&from), sizeof from) != 0)
        return close(), false;
    if (::connect(m_fd, reinterpret_cast<const sockaddr *>(&to), sizeof to) != 0 &&
        errno != EINPROGRESS)
        return close(), false;
    pollfd p{m_fd, POLLOUT, 0};
    int error = 0;
    socklen_t length = sizeof error;
    if (::poll(&p, 1, timeoutMs) != 1 ||
        ::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
        return close(), false;
    return true;
}

bool WireClient::login(int timeoutMs)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    tvwire::Frame f;
    tvwire::Challenge challenge;
    if (!nextOf(tvwire::MsgChallenge, f, remainingMs(deadline)) ||
        !tvwire::decodeBody(f.body, challenge))
        return false;
    tvwire::LoginRequest request;
    request.user = "admin";
    request.proof = tvwire::LoginProof::compute("", challenge.nonce, request.user);
    tvwire::LoginReply reply;
    if (!send(tvwire::MsgLoginRequest, tvwire::encodeBody(request)) ||
        !nextOf(tvwire::MsgLoginReply, f, remainingMs(deadline)) ||
        !tvwire::decodeBody(f.body, reply) || reply.result != 0)
        return false;
    m_session = f.session;
    m_channel = reply.channelA + reply.channelB;
    return true;
}

bool WireClient::realPlay(int timeoutMs)
{
    tvwire::RealPlayRequest request;
    request.channel = m_channel;
    tvwire::Frame f;
    tvwire::RealPlayReply reply;
    return send(tvwire::MsgRealPlayRequest, tvwire::encodeBody(request)) &&
           nextOf(tvwire::MsgRealPlayReply, f, timeoutMs) && tvwire::decodeBody(f.body, reply) &&
           reply.result == 0;
}

std::vector<std::uint8_t> WireClient::frame(std::uint16_t type,
                                            const std::vector<std::uint8_t> &body)
{
    return tvwire::ProtocolEncoder::encode(type, m_session, ++m_sequence, body);
}

bool WireClient::send(std::uint16_t type, const std::vector<std::uint8_t> &body)
{
    return sendRaw(frame(type, body));
}

bool WireClient::sendRaw(const std::vector<std::uint8_t> &bytes)
{
    std::size_t done = 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(5);
    while (m_fd >= 0 && done < bytes.size()) {
        const ssize_t n = ::send(m_fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += std::size_t(n);
            continue;
        }
        pollfd p{m_fd, POLLOUT, 0};
        if ((n < 0 && errno != EAGAIN) || ::poll(&p, 1, remainingMs(deadline)) != 1)
            return false;
    }
    return done == bytes.size();
}

bool WireClient::fill(int timeoutMs)
{
    pollfd p{m_fd, POLLIN, 0};
    if (m_fd < 0 || ::poll(&p, 1, timeoutMs) != 1)
        return m_fd >= 0 && timeoutMs >= 0; // a deadline is not a close
    std::uint8_t buffer[65536];
    const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
    if (n <= 0)
        return n < 0 && errno == EAGAIN;
    m_in.insert(m_in.end(), buffer, buffer + n);
    return true;
}

bool WireClient::next(tvwire::Frame &f, int timeoutMs)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        std::size_t used = 0;
        std::string error;
        const auto r = tvwire::ProtocolDecoder::decode(m_in.data(), m_in.size(), f, used, error);
        if (r == tvwire::ProtocolDecoder::Complete) {
            m_in.erase(m_in.begin(), m_in.begin() + std::ptrdiff_t(used));
            return true;
        }
        if (r == tvwire::ProtocolDecoder::Malformed || Clock::now() >= deadline ||
            !fill(remainingMs(deadline)))
            return false;
    }
}

bool WireClient::nextOf(std::uint16_t type, tvwire::Frame &f, int timeoutMs)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (next(f, remainingMs(deadline))) {
        if (f.type == type)
            return true;
    }
    return false;
}

bool WireClient::drain(int ms)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < deadline) {
        if (!fill(remainingMs(deadline)))
            return false;
        m_in.clear();
    }
    return true;
}

bool WireClient::closedByPeer(int timeoutMs)
{
    pollfd p{m_fd, POLLIN, 0};
    if (m_fd < 0)
        return true;
    if (::poll(&p, 1, timeoutMs) != 1)
        return false;
    std::uint8_t byte = 0;
    const ssize_t n = ::recv(m_fd, &byte, 1, MSG_PEEK);
    return n == 0 || (n < 0 && errno != EAGAIN);
}

void WireClient::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_in.clear();
}
