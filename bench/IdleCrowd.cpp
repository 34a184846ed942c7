#include "IdleCrowd.h"

#include "WireClient.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
using Clock = std::chrono::steady_clock;
}

IdleCrowd::~IdleCrowd()
{
    stop();
}

void IdleCrowd::start(std::uint16_t port, int count, int firstAddress, int deadlineMs)
{
    stop();
    m_port = port;
    m_slots.assign(std::size_t(count), Slot{});
    for (int i = 0; i < count; ++i)
        m_slots[std::size_t(i)].source = WireClient::loopback(firstAddress + i);
    m_stop = false;
    m_connections = 0;
    m_thread = std::thread([this, deadlineMs] { run(deadlineMs); });
}

void IdleCrowd::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    for (Slot &s : m_slots) {
        if (s.fd >= 0)
            ::close(s.fd);
        s.fd = -1;
    }
}

double IdleCrowd::perSecond() const
{
    return m_seconds > 0 ? double(m_connections) / m_seconds : 0;
}

void IdleCrowd::run(int deadlineMs)
{
    const Clock::time_point begin = Clock::now();
    const Clock::time_point deadline = begin + std::chrono::milliseconds(deadlineMs);
    std::vector<pollfd> polls(m_slots.size());
    while (!m_stop && Clock::now() < deadline) {
        for (std::size_t i = 0; i < m_slots.size(); ++i) {
            if (m_slots[i].fd < 0)
                open(m_slots[i]);
            polls[i] = {m_slots[i].fd, short(m_slots[i].connecting ? POLLOUT : POLLIN), 0};
        }
        if (::poll(polls.data(), polls.size(), 50) > 0) {
            for (std::size_t i = 0; i < m_slots.size(); ++i)
                serve(m_slots[i], polls[i].revents);
        }
        m_seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    }
}

void IdleCrowd::open(Slot &slot)
{
    slot.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (slot.fd < 0)
        return;
    sockaddr_in from{}, to{};
    from.sin_family = to.sin_family = AF_INET;
    from.sin_addr.s_addr = htonl(slot.source);
    to.sin_addr.s_addr = htonl(0x7F000001u);
    to.sin_port = htons(m_port);
    const bool bound = ::bind(slot.fd, reinterpret_cast<sockaddr *>(&from), sizeof from) == 0;
    const int r = bound ? ::connect(slot.fd, reinterpret_cast<sockaddr *>(&to), sizeof to) : -1;
    if (r != 0 && !(bound && errno == EINPROGRESS)) {
        ::close(slot.fd);
        slot.fd = -1;
        return;
    }
    slot.connecting = r != 0;
    if (r == 0)
        ++m_connections;
}

void IdleCrowd::serve(Slot &slot, short events)
{
    if (slot.fd < 0 || events == 0)
        return;
    if (slot.connecting) {
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(slot.fd, SOL_SOCKET, SO_ERROR, &error, &length);
        slot.connecting = false;
        if (error == 0) {
            ++m_connections;
            return;
        }
    } else {
        char buffer[4096];
        const ssize_t n = ::recv(slot.fd, buffer, sizeof buffer, 0);
        if (n > 0 || (n < 0 && errno == EAGAIN))
            return;
    }
    ::close(slot.fd); // closed by the listener (or refused): come straight back
    slot.fd = -1;
}
