#include "RotatingAttacker.h"

#include "WireClient.h"

#include <chrono>

namespace {
using Clock = std::chrono::steady_clock;
constexpr int kStepTimeoutMs = 2000; // connecting, logging in, starting the stream
} // namespace

RotatingAttacker::~RotatingAttacker()
{
    stop();
}

void RotatingAttacker::start(std::uint16_t port, int firstAddress, const Timing &timing,
                             int deadlineMs)
{
    stop();
    m_port = port;
    m_firstAddress = firstAddress;
    m_timing = timing;
    m_stop = false;
    m_lives = m_playing = 0;
    m_thread = std::thread([this, deadlineMs] { run(deadlineMs); });
}

void RotatingAttacker::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void RotatingAttacker::run(int deadlineMs)
{
    const Clock::time_point begin = Clock::now();
    const Clock::time_point deadline = begin + std::chrono::milliseconds(deadlineMs);
    for (int n = 0; !m_stop && Clock::now() < deadline; ++n) {
        const int address = m_firstAddress + n;
        m_lifeThreads.emplace_back([this, address] { live(address); });
        ++m_lives;
        const auto next =
            begin + std::chrono::milliseconds(std::int64_t(n + 1) * m_timing.periodMs);
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now());
        pause(int(std::max<std::int64_t>(0, wait.count())));
    }
    m_stop = true;
    for (std::thread &t : m_lifeThreads)
        t.join();
    m_lifeThreads.clear();
}

void RotatingAttacker::live(int address)
{
    const Clock::time_point born = Clock::now();
    WireClient client;
    if (!client.connectTo(m_port, WireClient::loopback(address), kStepTimeoutMs,
                          m_timing.receiveBuffer) ||
        !client.login(kStepTimeoutMs) || !client.realPlay(kStepTimeoutMs))
        return;
    ++m_playing;
    client.drain(m_timing.readMs);
    const auto lived = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - born);
    pause(m_timing.lifeMs - int(lived.count()));
}

bool RotatingAttacker::pause(int ms)
{
    const Clock::time_point until = Clock::now() + std::chrono::milliseconds(ms);
    while (!m_stop && Clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return !m_stop;
}
