#pragma once
// Finds the next place in an H.264 Annex B byte stream where a decoder can
// start afresh: an SPS, an IDR slice, or an SEI that opens with a recovery
// point (intra refresh). Keeps its state between calls, so a start code
// split over several input blocks is still found.

#include <cstddef>
#include <cstdint>

class KeyframeScanner
{
public:
    // The NAL unit header (and, for an SEI, the payload type byte) a restart
    // begins with, rebuilt because its start code may lie in earlier blocks.
    struct Hit
    {
        std::size_t resumeAt = 0; // first byte of data to keep after the prefix
        std::uint8_t prefix[6] = {0, 0, 0, 1, 0, 0};
        std::size_t prefixLength = 0;
    };

    // Scans data; returns true with `hit` filled at the first restart point.
    bool scan(const std::uint8_t *data, std::size_t length, Hit &hit);
    void reset();

private:
    enum class State
    {
        Bytes,
        Header,     // a start code was seen; the next byte is a NAL header
        SeiPayload, // an SEI header was seen; the next byte is its payload type
    };
    State m_state = State::Bytes;
    int m_zeros = 0;
    std::uint8_t m_seiHeader = 0;
};
