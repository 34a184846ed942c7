#pragma once
// What went through one direction of an emulated link, over all its
// connections. Written by the relays' threads, read by anyone.

#include <atomic>
#include <cstdint>

struct LinkCounters
{
    std::atomic<std::int64_t> bytesIn{0};    // read from the sending side
    std::atomic<std::int64_t> bytesOut{0};   // written to the receiving side
    std::atomic<std::int64_t> peakQueued{0}; // most bytes one bottleneck queue held

    void notePeak(std::int64_t queued)
    {
        std::int64_t seen = peakQueued.load();
        while (queued > seen && !peakQueued.compare_exchange_weak(seen, queued)) {
        }
    }
};
