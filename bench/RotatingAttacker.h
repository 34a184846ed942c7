#pragma once
// The viewer that comes back from a fresh address: every period it logs in
// from a loopback address never used before, starts the display's stream
// with a small receive buffer, reads for a moment, then stops reading and
// leaves once its life is over. Lives overlap when a life outlasts the
// period.
//
// Threads: one starts the lives, one runs each life; all stop at stop() or
// at the deadline given to start(), whichever comes first.

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

class RotatingAttacker
{
public:
    struct Timing
    {
        int periodMs = 650;
        int readMs = 250;
        int lifeMs = 1300;
        int receiveBuffer = 4096;
    };
    ~RotatingAttacker();
    void start(std::uint16_t port, int firstAddress, const Timing &timing, int deadlineMs);
    void stop();
    int lives() const { return m_lives; }     // started
    int playing() const { return m_playing; } // that got the stream

private:
    void run(int deadlineMs);
    void live(int address);
    // Sleeps until stop() or `ms` have passed; false once stopped.
    bool pause(int ms);

    std::uint16_t m_port = 0;
    int m_firstAddress = 0;
    Timing m_timing;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_lives{0};
    std::atomic<int> m_playing{0};
    std::thread m_thread;
    std::vector<std::thread> m_lifeThreads; // the starter's own
};
