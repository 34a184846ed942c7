#pragma once
// One direction of a relayed connection. Bytes read from the sender wait in
// the bottleneck queue as segments, leave it as fast as the token bucket
// allows, travel the delay line and are then written to the receiver.
// Owned by one relay thread; only the counters are shared.

#include "LinkCounters.h"
#include "LinkShape.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

class LinkPipe
{
public:
    LinkPipe(const LinkShape &shape, LinkCounters &counters, std::int64_t nowNs);

    // Bytes the sender may hand over now; 0 while the queue is full.
    std::size_t room() const;
    void push(const char *data, std::size_t n);
    // Moves the segments the bucket pays for from the queue into the delay line.
    void release(std::int64_t nowNs);
    // Writes the segments whose delay has passed. False on a broken
    // receiver; blocked tells that its socket took no more.
    bool flush(int fd, std::int64_t nowNs, bool &blocked);
    // Nanoseconds until release or flush has work again, or -1 for none;
    // blocked as flush last reported it.
    std::int64_t nextEventNs(std::int64_t nowNs, bool blocked) const;
    bool empty() const { return m_queue.empty() && m_flight.empty(); }
    // Bytes taken from the sender and written to the receiver so far.
    std::int64_t moved() const { return m_moved; }

private:
    struct Segment
    {
        std::vector<char> bytes;
        std::size_t offset = 0;
        std::int64_t dueNs = 0;
    };
    void refill(std::int64_t nowNs);
    void drain(std::int64_t nowNs);

    LinkShape m_shape;
    LinkCounters &m_counters;
    std::size_t m_segment;
    double m_burst;
    std::deque<Segment> m_queue, m_flight;
    std::size_t m_queued = 0, m_inFlight = 0;
    std::int64_t m_moved = 0;
    double m_tokens;
    std::int64_t m_refilledNs;
    // The queue held segments when the bucket was last refilled, so the
    // link has been busy since: only then may it catch up.
    bool m_busy = false;
};
