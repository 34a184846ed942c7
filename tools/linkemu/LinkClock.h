#pragma once
// The monotonic clock the link's timing runs on.

#include <cstdint>
#include <ctime>

namespace LinkClock {
inline std::int64_t nowNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}
} // namespace LinkClock
