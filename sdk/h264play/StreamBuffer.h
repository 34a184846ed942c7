#pragma once
// The bounded byte buffer between the input call and the decoder thread.
//
// Threads: write() runs on the SDK's data thread, take() on the decoder
// thread, the rest on either; one mutex guards everything. Memory is one
// ring of the capacity given at construction and never grows.
//
// When input outruns the decoder the backlog is stale anyway, so it is
// thrown away and input is dropped up to the next restart point (see
// KeyframeScanner); the decoder is told to start afresh there.

#include "KeyframeScanner.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

class StreamBuffer
{
public:
    struct Chunk
    {
        std::vector<std::uint8_t> bytes;
        bool discontinuity = false; // data was dropped before these bytes
        std::int64_t inputNs = 0;   // when the newest of these bytes arrived
    };
    struct Counters
    {
        std::int64_t capacity = 0, buffered = 0, dropped = 0, episodes = 0;
    };

    explicit StreamBuffer(std::size_t capacity);

    void write(const std::uint8_t *data, std::size_t length, std::int64_t nowNs);
    // Blocks until data is there (and decoding is not paused) or the buffer
    // is closed; returns false once closed. Takes at most maxBytes.
    bool take(Chunk &chunk, std::size_t maxBytes);
    void close();
    void setPaused(bool paused);
    Counters counters() const;

private:
    void append(const std::uint8_t *data, std::size_t length);
    void dropFrom(const std::uint8_t *data, std::size_t length);

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<std::uint8_t> m_ring;
    std::size_t m_head = 0, m_size = 0;
    bool m_closed = false, m_paused = false;
    bool m_dropping = false, m_discontinuity = false;
    std::int64_t m_lastInputNs = 0;
    KeyframeScanner m_scanner;
    Counters m_counters;
};
