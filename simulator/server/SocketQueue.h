#pragma once
// What the kernel knows about one TCP socket's way out: the bytes it holds
// (not yet sent, or sent and not yet acknowledged: on a slow link those
// wait in the link's queue, still between the simulator and the viewer's
// decoder) and the shortest round trip seen. Linux only; on failure the
// reading says nothing (all zero).

#include <cstdint>

struct SocketQueue
{
    std::int64_t queuedBytes = 0;
    std::int64_t minRttUs = 0;

    static SocketQueue read(int fd);
};
