#pragma once
// Notices where an H.264 stream starts a new sequence: an access unit whose
// sequence parameter set asks for pictures of another size or format, or
// another reference or reorder depth, than the last one seen. Recorders
// repeat the same set before every keyframe, and a stream may switch
// between sets that differ only in what the decoder follows by itself, so
// only a change of that shape counts; sets that cannot be read do not.
//
// Used on the decoder thread only.

#include "SpsShape.h"

#include <cstddef>
#include <cstdint>

class SequenceWatch
{
public:
    enum class Sets
    {
        None, // no readable sequence parameter set
        Same, // the shape of the last ones seen
        New,
    };
    // What the unit's sequence parameter sets say against the last ones
    // seen. The first ones ever seen are new only when units came before
    // them: whatever those were, the decoder took them, and they may have
    // left it holding pictures back (see H264Decoder).
    Sets read(const std::uint8_t *unit, std::size_t size);
    bool changes(const std::uint8_t *unit, std::size_t size)
    {
        return read(unit, size) == Sets::New;
    }
    // The shape of the last sets seen.
    const SpsShape &shape() const { return m_last; }
    // Whether the unit last read begins an IDR picture, the only kind at
    // which a stream may switch to other sets.
    bool keyframe() const { return m_keyframe; }
    // True when the pictures of the current sequence would be larger than
    // the decoder takes: wider or taller than maxSide, or more than
    // maxPixels in all.
    bool exceeds(long maxSide, long maxPixels) const;

private:
    SpsShape m_last;
    bool m_seen = false;
    bool m_unitsBefore = false;
    bool m_keyframe = false;
};
