#pragma once
// The lock-out attacker: each of `count` loopback source addresses holds
// one idle connection to a listener and opens a new one as soon as the
// listener closes it. It sends nothing and throws away what arrives.
//
// Threads: one of its own, polling every socket, until stop() or the
// deadline given to start(), whichever comes first.

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

class IdleCrowd
{
public:
    ~IdleCrowd();
    // Addresses WireClient::loopback(firstAddress) onwards.
    void start(std::uint16_t port, int count, int firstAddress, int deadlineMs);
    void stop();
    // Connections established so far, and per second of the run.
    std::uint64_t connections() const { return m_connections; }
    double perSecond() const;

private:
    struct Slot
    {
        std::uint32_t source = 0;
        int fd = -1;
        bool connecting = false;
    };
    void run(int deadlineMs);
    void open(Slot &slot);
    void serve(Slot &slot, short events);

    std::uint16_t m_port = 0;
    std::vector<Slot> m_slots;
    std::atomic<bool> m_stop{false};
    std::atomic<std::uint64_t> m_connections{0};
    std::atomic<double> m_seconds{0};
    std::thread m_thread;
};
