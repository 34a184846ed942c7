#include "SequenceWatch.h"

namespace {
constexpr int kNalSps = 7;
constexpr int kNalLastSlice = 5; // types 1-5 are slices

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

bool SequenceWatch::changes(const std::uint8_t *unit, std::size_t size)
{
    std::vector<std::uint8_t> sets;
    for (std::size_t at = nextNal(unit, size, 0); at < size;) {
        const int type = unit[at] & 0x1f;
        if (type >= 1 && type <= kNalLastSlice)
            break; // parameter sets precede the pictures: no need to scan those
        const std::size_t next = nextNal(unit, size, at);
        if (type == kNalSps) {
            const std::size_t end = nalEnd(unit, at, next, size);
            const std::uint32_t length = std::uint32_t(end - at);
            for (int shift = 24; shift >= 0; shift -= 8)
                sets.push_back(std::uint8_t(length >> shift));
            sets.insert(sets.end(), unit + at, unit + end);
        }
        at = next;
    }
    if (sets.empty() || sets == m_last)
        return false;
    const bool changed = !m_last.empty();
    m_last.swap(sets);
    return changed;
}
