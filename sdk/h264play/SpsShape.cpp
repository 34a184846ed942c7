#include "SpsShape.h"

#include <vector>

namespace {

// Exp-Golomb reads over the RBSP; a read past the end sets `bad`.
class BitReader
{
public:
    explicit BitReader(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}

    unsigned bit()
    {
        if (m_pos >= m_bytes.size() * 8) {
            m_bad = true;
            return 0;
        }
        const unsigned b = (m_bytes[m_pos / 8] >> (7 - m_pos % 8)) & 1u;
        ++m_pos;
        return b;
    }
    std::uint32_t bits(int n)
    {
        std::uint32_t v = 0;
        for (int i = 0; i < n; ++i)
            v = (v << 1) | bit();
        return v;
    }
    // Values beyond 2^31 are refused rather than wrapped.
    std::uint32_t ue()
    {
        int zeros = 0;
        while (bit() == 0 && !m_bad) {
            if (++zeros > 31) {
                m_bad = true;
                return 0;
            }
        }
        return (std::uint32_t(1) << zeros) - 1 + bits(zeros);
    }
    std::int32_t se()
    {
        const std::uint32_t k = ue();
        return (k & 1) ? std::int32_t((k + 1) / 2) : -std::int32_t(k / 2);
    }
    bool bad() const { return m_bad; }

private:
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
    bool m_bad = false;
};

// Without the emulation prevention bytes; a parameter set is small, so a
// long one is cut, and the fields past the cut read as damage.
std::vector<std::uint8_t> rbsp(const std::uint8_t *nal, std::size_t size)
{
    constexpr std::size_t kMaxSetBytes = 4096;
    std::vector<std::uint8_t> out;
    int zeros = 0;
    for (std::size_t i = 1; i < size && out.size() < kMaxSetBytes; ++i) {
        if (zeros >= 2 && nal[i] == 3) {
            zeros = 0;
            continue;
        }
        zeros = nal[i] == 0 ? zeros + 1 : 0;
        out.push_back(nal[i]);
    }
    return out;
}

void skipScalingLists(BitReader &r, int count)
{
    for (int i = 0; i < count && !r.bad(); ++i) {
        if (!r.bit())
            continue;
        const int size = i < 6 ? 16 : 64;
        int last = 8, next = 8;
        for (int j = 0; j < size && next != 0 && !r.bad(); ++j) {
            next = (last + r.se() + 256) % 256;
            last = next == 0 ? last : next;
        }
    }
}

void skipHrd(BitReader &r)
{
    const std::uint32_t count = r.ue() + 1;
    r.bits(8);
    for (std::uint32_t i = 0; i < count && i < 32 && !r.bad(); ++i) {
        r.ue();
        r.ue();
        r.bit();
    }
    r.bits(20);
}

// The VUI up to the bitstream restriction, which carries the reorder depth.
void readVui(BitReader &r, SpsShape &s)
{
    if (r.bit() && r.bits(8) == 255) // aspect ratio, extended
        r.bits(32);
    if (r.bit()) // overscan
        r.bit();
    if (r.bit() && (r.bits(4), r.bit())) // video signal, colour description
        r.bits(24);
    if (r.bit()) { // chroma location
        r.ue();
        r.ue();
    }
    if (r.bit()) // timing
        r.bits(32), r.bits(32), r.bit();
    const bool nal = r.bit();
    if (nal)
        skipHrd(r);
    const bool vcl = r.bit();
    if (vcl)
        skipHrd(r);
    if (nal || vcl)
        r.bit();
    r.bit(); // picture structure
    if (r.bit()) {
        r.bit();
        r.ue(), r.ue(), r.ue(), r.ue();
        s.maxReorder = int(r.ue() & 0xffff);
        s.maxDecBuffering = int(r.ue() & 0xffff);
    }
}

// The profiles whose sets carry the picture format (chroma, bit depth,
// scaling lists).
bool highProfile(int profile)
{
    static const int kProfiles[] = {100, 110, 122, 244, 44, 83, 86, 118, 128, 138, 139, 134, 135};
    for (int p : kProfiles) {
        if (p == profile)
            return true;
    }
    return false;
}

void readFormat(BitReader &r, SpsShape &s)
{
    s.chromaFormat = int(r.ue() & 0xff);
    if (s.chromaFormat == 3)
        r.bit();
    s.bitDepthLuma = 8 + int(r.ue() & 0xff);
    s.bitDepthChroma = 8 + int(r.ue() & 0xff);
    r.bit();
    if (r.bit())
        skipScalingLists(r, s.chromaFormat == 3 ? 12 : 8);
}

void skipPictureOrder(BitReader &r)
{
    r.ue(); // log2 of the largest frame number
    const std::uint32_t type = r.ue();
    if (type == 0) {
        r.ue();
    } else if (type == 1) {
        r.bit();
        r.se();
        r.se();
        const std::uint32_t cycle = r.ue();
        for (std::uint32_t i = 0; i < cycle && i < 256 && !r.bad(); ++i)
            r.se();
    }
}

} // namespace

bool SpsShape::parse(const std::uint8_t *nal, std::size_t size)
{
    if (size < 4 || (nal[0] & 0x1f) != 7)
        return false;
    BitReader r(rbsp(nal, size));
    profile = int(r.bits(8));
    r.bits(16); // constraints, level
    r.ue();     // the set's id
    if (highProfile(profile))
        readFormat(r, *this);
    skipPictureOrder(r);
    maxRefFrames = int(r.ue() & 0xffff);
    r.bit();
    const std::uint32_t widthMbs = r.ue() + 1, heightUnits = r.ue() + 1;
    frameMbsOnly = r.bit() != 0;
    if (!frameMbsOnly)
        r.bit();
    r.bit();
    if (r.bit()) {
        for (std::uint32_t &c : crop)
            c = r.ue();
    }
    if (r.bit())
        readVui(r, *this);
    if (r.bad() || widthMbs > 65536 || heightUnits > 65536)
        return false;
    width = long(widthMbs) * 16;
    height = long(heightUnits) * 16 * (frameMbsOnly ? 1 : 2);
    return true;
}

bool SpsShape::operator==(const SpsShape &o) const
{
    return profile == o.profile && chromaFormat == o.chromaFormat &&
           bitDepthLuma == o.bitDepthLuma && bitDepthChroma == o.bitDepthChroma &&
           maxRefFrames == o.maxRefFrames && frameMbsOnly == o.frameMbsOnly && width == o.width &&
           height == o.height && crop[0] == o.crop[0] && crop[1] == o.crop[1] &&
           crop[2] == o.crop[2] && crop[3] == o.crop[3] && maxReorder == o.maxReorder &&
           maxDecBuffering == o.maxDecBuffering;
}
