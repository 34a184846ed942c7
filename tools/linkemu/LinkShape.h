#pragma once
// What one emulated path does to the bytes in each direction: the rate of
// its bottleneck (a token bucket), the queue in front of that bottleneck,
// and a one-way propagation delay after it.

#include <cstdint>
#include <string>

struct LinkShape
{
    // Bits per second of the bottleneck; 0 leaves the rate unlimited.
    double rateBitsPerS = 0;
    // Added one way, in each direction, so the round trip gains twice this.
    int delayMs = 0;
    // Bytes the bottleneck queue holds before the relay stops reading from
    // the sender, which then sees TCP's back-pressure.
    int queueBytes = 16 * 1024;
    // Depth of the token bucket; never less than one segment.
    int burstBytes = 3000;
    // SO_SNDBUF and SO_RCVBUF of the relay's sockets (the kernel doubles
    // it). Small, so that the relay's sockets do not hide a queue of their
    // own in front of the bottleneck.
    int socketBufferBytes = 4096;

    // "unlimited", "RATE" or "RATE/DELAYms" with RATE like 1.5M or 4000k
    // (bits per second); "4M/40" is 4 Mbit/s with 40 ms one way.
    static bool parse(const std::string &text, LinkShape &shape);
    // The same form back, "4M/40ms" or "unlimited".
    std::string label() const;
};
