#pragma once
// Decides, access unit by access unit, what the decoder does with the
// stream: decode the unit, first start a fresh decoder for the sequence the
// unit begins (H264Decoder::startSequence), or drop it.
//
// Fresh decoders are rationed: a burst of kBurst, then one every kRefillNs.
// A stream that alternates two picture sizes would otherwise cost a decoder
// and its threads on every unit. Once the ration is spent, the units of a
// sequence the decoder is not set up for are dropped until the stream
// settles: it comes back to the decoder's sequence, or it keeps to the new
// one until a fresh decoder is due again and a unit repeats its sets
// (recorders repeat them before every keyframe). A single change of size
// still takes effect at the keyframe that brings it. Units of a new
// sequence before its first IDR picture, and pictures larger than the
// decoder takes, are dropped without a fresh decoder.
//
// Used on the decoder thread only. Times are steady-clock nanoseconds.

#include "SequenceWatch.h"

#include <cstddef>
#include <cstdint>

class SequenceGate
{
public:
    enum class Verdict
    {
        Decode,
        Rebuild, // start a fresh decoder, then decode the unit
        Drop,
    };
    static constexpr int kBurst = 4;
    static constexpr std::int64_t kRefillNs = 1000000000;

    // The largest pictures taken: maxSide on either side, maxPixels in all.
    SequenceGate(long maxSide, long maxPixels) : m_maxSide(maxSide), m_maxPixels(maxPixels) {}

    Verdict judge(const std::uint8_t *unit, std::size_t size, std::int64_t nowNs);

private:
    // The stream announced a sequence other than the one it was in.
    Verdict follow(std::int64_t nowNs);
    bool takeRebuild(std::int64_t nowNs);

    long m_maxSide;
    long m_maxPixels;
    SequenceWatch m_watch;
    SpsShape m_decoderShape;     // what the decoder was set up for,
    bool m_decoderKnown = false; // once a readable set told it
    bool m_behind = false;       // the stream is in a sequence the decoder is not set up for
    int m_tokens = kBurst;
    std::int64_t m_refilledNs = 0;
    bool m_clockStarted = false;
};
