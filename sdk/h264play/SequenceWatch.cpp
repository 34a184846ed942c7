#include "SequenceWatch.h"

namespace {
constexpr int kNalSps = 7;
constexpr int kNalSlice = 1;
constexpr int kNalIdrSlice = 5;

// Offset of the NAL header after the start code at or after `from`, or
// `size` when there is none.
std::size_t nextNal(const std::uint8_t *data, std::size_t size, std::size_t from)
{
    for (std::size_t i = from; i + 3 <= size; ++i) {
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1)
            return i + 3;
    }
    return size;
}

// Where the NAL unit that starts at `begin` ends: before the next start
// code, without the zero bytes that pad up to it.
std::size_t nalEnd(const std::uint8_t *data, std::size_t begin, std::size_t next, std::size_t size)
{
    std::size_t end = next == size ? size : next - 3;
    while (end > begin && data[end - 1] == 0)
        --end;
    return end;
}
} // namespace

SequenceWatch::Sets SequenceWatch::read(const std::uint8_t *unit, std::size_t size)
{
    // The last set before the pictures is the one they use: a set with the
    // same id replaces an earlier one, and a unit may carry a stale set
    // ahead of the recorder's own.
    SpsShape shape;
    bool found = false;
    m_keyframe = false;
    for (std::size_t at = nextNal(unit, size, 0); at < size;) {
        const int type = unit[at] & 0x1f;
        // A unit holds one picture: the parser starts the next unit at any
        // set after the picture's first slice (the one that begins at
        // macroblock 0), so the sets before that slice are the picture's.
        // Units that start no picture (data partitions, which the decoder
        // ignores) do not end them.
        if ((type == kNalSlice || type == kNalIdrSlice) && at + 1 < size && (unit[at + 1] & 0x80)) {
            m_keyframe = type == kNalIdrSlice;
            break;
        }
        const std::size_t next = nextNal(unit, size, at);
        SpsShape candidate;
        if (type == kNalSps && candidate.parse(unit + at, nalEnd(unit, at, next, size) - at)) {
            shape = candidate;
            found = true;
        }
        at = next;
    }
    if (!found) {
        m_unitsBefore = m_unitsBefore || !m_seen;
        return Sets::None;
    }
    if (m_seen && shape == m_last)
        return Sets::Same;
    const bool changed = m_seen || m_unitsBefore;
    m_last = shape;
    m_seen = true;
    return changed ? Sets::New : Sets::Same;
}

bool SequenceWatch::exceeds(long maxSide, long maxPixels) const
{
    return m_seen && (m_last.width > maxSide || m_last.height > maxSide ||
                      m_last.width * m_last.height > maxPixels);
}
