#pragma once
// The clock of every time stamp the library reports.

#include <chrono>
#include <cstdint>

inline std::int64_t steadyNowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
