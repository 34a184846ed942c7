#include "StreamBuffer.h"

#include <QtGlobal>

#include <algorithm>
#include <cstring>

StreamBuffer::StreamBuffer(std::size_t capacity) : m_ring(capacity)
{
    m_counters.capacity = std::int64_t(capacity);
}

void StreamBuffer::write(const std::uint8_t *data, std::size_t length, std::int64_t nowNs)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_closed || length == 0)
        return;
    m_lastInputNs = nowNs;
    if (!m_dropping && length <= m_ring.size() - m_size) {
        append(data, length);
    } else {
        if (!m_dropping) {
            m_dropping = true;
            m_discontinuity = true;
            ++m_counters.episodes;
            m_counters.dropped += std::int64_t(m_size);
            m_head = m_size = 0;
            m_scanner.reset();
            qWarning("H264Play: stream buffer of %zu bytes is full; dropping data up to the next "
                     "keyframe",
                     m_ring.size());
        }
        dropFrom(data, length);
    }
    m_wake.notify_one();
}

void StreamBuffer::dropFrom(const std::uint8_t *data, std::size_t length)
{
    while (length > 0) {
        KeyframeScanner::Hit hit;
        if (!m_scanner.scan(data, length, hit)) {
            m_counters.dropped += std::int64_t(length);
            return;
        }
        const std::size_t rest = length - hit.resumeAt;
        m_counters.dropped += std::int64_t(hit.resumeAt);
        if (hit.prefixLength + rest <= m_ring.size()) {
            append(hit.prefix, hit.prefixLength);
            append(data + hit.resumeAt, rest);
            m_dropping = false;
            return;
        }
        // Even the keyframe does not fit: keep looking after it.
        data += hit.resumeAt;
        length = rest;
    }
}

void StreamBuffer::append(const std::uint8_t *data, std::size_t length)
{
    const std::size_t cap = m_ring.size();
    std::size_t tail = (m_head + m_size) % cap;
    const std::size_t first = std::min(length, cap - tail);
    std::memcpy(m_ring.data() + tail, data, first);
    std::memcpy(m_ring.data(), data + first, length - first);
    m_size += length;
}

bool StreamBuffer::take(Chunk &chunk, std::size_t maxBytes)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_wake.wait(lock, [this] { return m_closed || (!m_paused && m_size > 0); });
    if (m_closed)
        return false;
    const std::size_t cap = m_ring.size();
    const std::size_t n = std::min(m_size, maxBytes);
    const std::size_t first = std::min(n, cap - m_head);
    chunk.bytes.assign(m_ring.data() + m_head, m_ring.data() + m_head + first);
    chunk.bytes.insert(chunk.bytes.end(), m_ring.data(), m_ring.data() + (n - first));
    m_head = (m_head + n) % cap;
    m_size -= n;
    chunk.discontinuity = m_discontinuity;
    chunk.inputNs = m_lastInputNs;
    m_discontinuity = false;
    return true;
}

void StreamBuffer::close()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_closed = true;
    m_wake.notify_all();
}

void StreamBuffer::setPaused(bool paused)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_paused = paused;
    m_wake.notify_all();
}

StreamBuffer::Counters StreamBuffer::counters() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Counters c = m_counters;
    c.buffered = std::int64_t(m_size);
    return c;
}
