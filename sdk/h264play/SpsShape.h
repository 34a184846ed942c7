#pragma once
// What a sequence parameter set says about the pictures that follow: the
// fields that decide how the decoder must be set up (picture size and
// format, reference and reorder depth). Fields that a decoder follows by
// itself, such as the set's id or its frame-number length, are left out,
// so that two sets alike in these compare equal.

#include <cstddef>
#include <cstdint>

struct SpsShape
{
    int profile = 0;
    int chromaFormat = 1;
    int bitDepthLuma = 8;
    int bitDepthChroma = 8;
    int maxRefFrames = 0;
    bool frameMbsOnly = true;
    long width = 0;  // as decoded, in whole macroblocks
    long height = 0; // as decoded, in whole macroblocks
    std::uint32_t crop[4] = {0, 0, 0, 0};
    int maxReorder = -1;
    int maxDecBuffering = -1;

    // Reads the SPS NAL unit (header byte included, start code not); false
    // when it is not one or is damaged.
    bool parse(const std::uint8_t *nal, std::size_t size);
    bool operator==(const SpsShape &o) const;
    bool operator!=(const SpsShape &o) const { return !(*this == o); }
};
