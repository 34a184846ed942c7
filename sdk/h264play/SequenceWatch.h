#pragma once
// Notices where an H.264 stream starts a new sequence: an access unit whose
// sequence parameter sets differ from the last ones seen. Recorders repeat
// the same ones before every keyframe, so only a real change counts (a new
// resolution or encoder setup, or junk that carried a parameter set).
//
// Used on the decoder thread only.

#include <cstddef>
#include <cstdint>
#include <vector>

class SequenceWatch
{
public:
    // True when the unit carries sequence parameter sets that differ from
    // the last ones seen; the first ones ever seen are not a change.
    bool changes(const std::uint8_t *unit, std::size_t size);

private:
    std::vector<std::uint8_t> m_last; // the SPS NAL units, each length-prefixed
};
