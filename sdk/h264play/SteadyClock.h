#pragma once
// The clock of every time stamp the library reports and of every wait it
// rations by. A test moves it forward rather than sleeping
// (tv_h264play_advance_clock); otherwise it is the steady clock itself.

#include <atomic>
#include <chrono>
#include <cstdint>

inline std::atomic<std::int64_t> &steadyOffsetNs()
{
    static std::atomic<std::int64_t> offset{0};
    return offset;
}

inline std::int64_t steadyNowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
               .count() +
           steadyOffsetNs().load(std::memory_order_relaxed);
}
