#include "LinkPipe.h"

#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

namespace {
// A full Ethernet segment's payload: the unit a real bottleneck serializes.
constexpr std::size_t kSegment = 1448;
// Without a rate there is nothing to serialize: larger pieces, fewer calls.
constexpr std::size_t kUnlimitedSegment = 64 * 1024;
// The delay line holds rate x delay bytes; this bounds it when the rate is
// unlimited or absurd.
constexpr std::size_t kMaxInFlight = 4 * 1024 * 1024;
// How far a busy link catches up after a late wake-up: 46 ms at 1.5 Mbit/s.
constexpr int kCatchUpSegments = 6;
} // namespace

LinkPipe::LinkPipe(const LinkShape &shape, LinkCounters &counters, std::int64_t nowNs)
    : m_shape(shape), m_counters(counters),
      m_segment(shape.rateBitsPerS > 0 ? kSegment : kUnlimitedSegment),
      m_burst(std::max<double>(shape.burstBytes, double(kSegment))), m_tokens(m_burst),
      m_refilledNs(nowNs)
{
    m_shape.queueBytes = std::max(m_shape.queueBytes, int(kSegment));
}

std::size_t LinkPipe::room() const
{
    const std::size_t cap = std::size_t(m_shape.queueBytes);
    return m_queued >= cap ? 0 : cap - m_queued;
}

void LinkPipe::push(const char *data, std::size_t n)
{
    m_counters.bytesIn += std::int64_t(n);
    m_moved += std::int64_t(n);
    while (n > 0) {
        // Tops up the last segment first, so that small writes still make
        // full segments, as TCP coalesces them.
        if (m_queue.empty() || m_queue.back().bytes.size() >= m_segment)
            m_queue.emplace_back();
        std::vector<char> &bytes = m_queue.back().bytes;
        const std::size_t take = std::min(n, m_segment - bytes.size());
        bytes.insert(bytes.end(), data, data + take);
        data += take;
        n -= take;
        m_queued += take;
    }
    m_counters.notePeak(std::int64_t(m_queued));
}

void LinkPipe::refill(std::int64_t nowNs)
{
    // An idle link saves up no more than the bucket's depth. A link that
    // had a queue at the last refill was busy all along, and a wake-up the
    // scheduler made late must not cost it capacity: it may catch up by a
    // few segments. Whether the queue holds segments now says nothing: the
    // relay sleeps while idle, so the segments that end a pause are already
    // queued when the pause is paid for.
    const double cap = m_busy ? m_burst + kCatchUpSegments * double(kSegment) : m_burst;
    if (m_shape.rateBitsPerS > 0 && nowNs > m_refilledNs)
        m_tokens =
            std::min(cap, m_tokens + double(nowNs - m_refilledNs) * m_shape.rateBitsPerS / 8e9);
    m_refilledNs = nowNs;
}

void LinkPipe::release(std::int64_t nowNs)
{
    refill(nowNs);
    drain(nowNs);
    m_busy = !m_queue.empty();
}

void LinkPipe::drain(std::int64_t nowNs)
{
    while (!m_queue.empty()) {
        Segment &s = m_queue.front();
        const double size = double(s.bytes.size());
        if (m_shape.rateBitsPerS > 0 && m_tokens < size)
            return;
        if (m_inFlight + s.bytes.size() > kMaxInFlight && !m_flight.empty())
            return;
        if (m_shape.rateBitsPerS > 0)
            m_tokens -= size;
        s.dueNs = nowNs + std::int64_t(m_shape.delayMs) * 1000000;
        m_queued -= s.bytes.size();
        m_inFlight += s.bytes.size();
        m_flight.push_back(std::move(s));
        m_queue.pop_front();
    }
}

bool LinkPipe::flush(int fd, std::int64_t nowNs, bool &blocked)
{
    blocked = false;
    while (!m_flight.empty() && m_flight.front().dueNs <= nowNs) {
        Segment &s = m_flight.front();
        const ssize_t n = ::send(fd, s.bytes.data() + s.offset, s.bytes.size() - s.offset,
                                 MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            blocked = errno == EAGAIN || errno == EWOULDBLOCK;
            return blocked;
        }
        s.offset += std::size_t(n);
        m_counters.bytesOut += n;
        m_moved += n;
        if (s.offset < s.bytes.size()) {
            blocked = true;
            return true;
        }
        m_inFlight -= s.bytes.size();
        m_flight.pop_front();
    }
    return true;
}

std::int64_t LinkPipe::nextEventNs(std::int64_t nowNs, bool blocked) const
{
    // A blocked receiver is waited on by its socket, not by a timer.
    std::int64_t next = -1;
    if (!blocked && !m_flight.empty())
        next = std::max<std::int64_t>(0, m_flight.front().dueNs - nowNs);
    if (m_queue.empty())
        return next;
    const Segment &s = m_queue.front();
    if (m_inFlight + s.bytes.size() > kMaxInFlight && !m_flight.empty())
        return next; // waits for the delay line to drain, not for time
    const double missing = double(s.bytes.size()) - m_tokens;
    const std::int64_t wait = m_shape.rateBitsPerS <= 0 || missing <= 0
                                  ? 0
                                  : std::int64_t(std::ceil(missing * 8e9 / m_shape.rateBitsPerS));
    return next < 0 ? wait : std::min(next, wait);
}
