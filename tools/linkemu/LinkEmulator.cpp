#include "LinkEmulator.h"

#include "LinkRelay.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {
constexpr int kConnectTimeoutMs = 3000;
constexpr int kSegmentBytes = 1448;

bool toAddress(const std::string &host, std::uint16_t port, sockaddr_in &addr)
{
    std::memset(&addr, 0, sizeof addr);
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    return ::inet_pton(AF_INET, host.c_str(), &addr.sin_addr) == 1;
}

void setNoDelay(int fd)
{
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}
} // namespace

LinkEmulator::LinkEmulator(const LinkShape &shape, int idleTimeoutMs)
    : m_shape(shape), m_idleTimeoutMs(std::max(0, idleTimeoutMs))
{
}

LinkEmulator::~LinkEmulator()
{
    stop();
}

void LinkEmulator::setBuffers(int fd) const
{
    // Without a bottleneck there is no rate for the acknowledgements to
    // follow: the relay then costs as little as loopback allows.
    if (m_shape.rateBitsPerS <= 0)
        return;
    // Before listen or connect, so that the window scale is chosen for them.
    const int size = m_shape.socketBufferBytes;
    ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    // Announced in the handshake, so the peers send Ethernet-sized segments
    // as on a real path. Loopback's own segments are 64 KiB, and the
    // sender's send buffer, which grows with its window in segments, would
    // grow to megabytes that no real path lets it have.
    const int segment = kSegmentBytes;
    ::setsockopt(fd, IPPROTO_TCP, TCP_MAXSEG, &segment, sizeof segment);
    // The window too: what the relay's kernel acknowledges ahead of the
    // bottleneck is at most two segments, so the sender's acknowledgements
    // follow the path's rate closely.
    const int clamp = 2 * kSegmentBytes;
    ::setsockopt(fd, IPPROTO_TCP, TCP_WINDOW_CLAMP, &clamp, sizeof clamp);
}

bool LinkEmulator::start(std::uint16_t targetPort, std::string &error,
                         const std::string &targetHost, const std::string &listenHost,
                         std::uint16_t listenPort)
{
    sockaddr_in target{}, listen{};
    if (!toAddress(targetHost, targetPort, target) || !toAddress(listenHost, listenPort, listen)) {
        error = "not an IPv4 address";
        return false;
    }
    m_target = target.sin_addr.s_addr;
    m_targetPort = targetPort;
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    socklen_t length = sizeof listen;
    if (m_listen < 0 || ::pipe2(m_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = std::strerror(errno);
        stop();
        return false;
    }
    ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    setBuffers(m_listen);
    if (::bind(m_listen, reinterpret_cast<sockaddr *>(&listen), sizeof listen) != 0 ||
        ::listen(m_listen, kMaxConnections) != 0 ||
        ::getsockname(m_listen, reinterpret_cast<sockaddr *>(&listen), &length) != 0) {
        error = std::string("cannot listen: ") + std::strerror(errno);
        stop();
        return false;
    }
    m_port = ntohs(listen.sin_port);
    m_acceptor = std::thread([this] { acceptLoop(); });
    return true;
}

void LinkEmulator::stop()
{
    if (m_stopPipe[1] >= 0) {
        const char byte = 0;
        // Never read: it stays readable and so stops every thread that polls it.
        [[maybe_unused]] const ssize_t n = ::write(m_stopPipe[1], &byte, 1);
    }
    if (m_acceptor.joinable())
        m_acceptor.join();
    m_relays.clear(); // each joins its thread
    for (int *fd : {&m_listen, &m_stopPipe[0], &m_stopPipe[1]}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

void LinkEmulator::acceptLoop()
{
    for (;;) {
        pollfd fds[2] = {{m_listen, POLLIN, 0}, {m_stopPipe[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            return;
        if (fds[1].revents)
            return;
        if (!(fds[0].revents & POLLIN))
            continue;
        const int client = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client >= 0)
            relay(client);
        else if (errno == EMFILE || errno == ENFILE)
            ::poll(fds + 1, 1, 100); // a descriptor shortage: breathe, still stoppable
    }
}

void LinkEmulator::relay(int client)
{
    m_relays.erase(std::remove_if(m_relays.begin(), m_relays.end(),
                                  [](const auto &r) { return r->finished(); }),
                   m_relays.end());
    const int server = int(m_relays.size()) < kMaxConnections ? connectTarget() : -1;
    if (server < 0) {
        ::close(client);
        return;
    }
    setNoDelay(client);
    m_relays.push_back(std::make_unique<LinkRelay>(client, server, m_shape, m_idleTimeoutMs, m_up,
                                                   m_down, m_stopPipe[0]));
}

int LinkEmulator::connectTarget() const
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    setBuffers(fd);
    setNoDelay(fd);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = m_target;
    addr.sin_port = htons(m_targetPort);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0)
        return fd;
    pollfd p{fd, POLLOUT, 0};
    int err = errno, size = sizeof err;
    if (err == EINPROGRESS && ::poll(&p, 1, kConnectTimeoutMs) == 1 &&
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, reinterpret_cast<socklen_t *>(&size)) == 0 &&
        err == 0)
        return fd;
    ::close(fd);
    return -1;
}
