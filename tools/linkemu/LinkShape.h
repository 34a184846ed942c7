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
    // Bytes the relay takes from the sender ahead of the bottleneck. The
    // relay's socket acknowledges what it takes, where a real path
    // acknowledges only what crossed the bottleneck, so this is kept to two
    // segments: the sender's acknowledgements then come at the path's rate
    // and the bytes waiting for the bottleneck wait in the sender's own
    // socket, never dropped.
    int queueBytes = 2 * 1448;
    // Depth of the token bucket; never less than one segment.
    int burstBytes = 3000;
    // SO_SNDBUF and SO_RCVBUF of the relay's sockets on a link with a rate
    // (the kernel doubles it). Small, for the same reason as the queue;
    // smaller ones make the sender's kernel grow its send buffer to
    // megabytes, as it counts its window in ever smaller segments.
    int socketBufferBytes = 4096;

    // "unlimited", "RATE" or "RATE/DELAYms" with RATE like 1.5M or 4000k
    // (bits per second); "4M/40" is 4 Mbit/s with 40 ms one way.
    static bool parse(const std::string &text, LinkShape &shape);
    // The same form back, "4M/40ms" or "unlimited".
    std::string label() const;
};
