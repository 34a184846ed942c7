#include "SpsPictureSize.h"

#include <algorithm>
#include <cstdint>

namespace {
constexpr int kNalTypeSps = 7;
constexpr int kMaxLeadingZeros = 31;
// 16384 pixels a side: more than any recorder's display, and small enough
// that no product below overflows.
constexpr uint32_t kMaxMacroblocks = 1024;
constexpr uint32_t kMaxCrop = 16 * kMaxMacroblocks;
constexpr int kMacroblock = 16;

// Reads the parameter set bit by bit, dropping the emulation prevention
// byte of every 00 00 03; past the end every read fails.
class BitReader
{
public:
    BitReader(const unsigned char *pData, size_t nLength) : m_pData(pData), m_nLength(nLength) {}

    bool ok() const { return m_bOk; }

    uint32_t bits(int nCount)
    {
        uint32_t nValue = 0;
        for (int i = 0; i < nCount; ++i)
            nValue = (nValue << 1) | bit();
        return nValue;
    }

    uint32_t ue()
    {
        int nZeros = 0;
        while (m_bOk && bit() == 0)
            if (++nZeros > kMaxLeadingZeros)
                m_bOk = false;
        if (!m_bOk)
            return 0;
        return uint32_t((uint64_t(1) << nZeros) - 1 + bits(nZeros));
    }

    int32_t se()
    {
        const uint32_t nCode = ue();
        const int32_t nMagnitude = int32_t((nCode + 1) / 2);
        return (nCode & 1) ? nMagnitude : -nMagnitude;
    }

private:
    uint32_t bit()
    {
        if (m_nBit == 0 && !nextByte())
            return 0;
        --m_nBit;
        return (m_nByte >> m_nBit) & 1;
    }

    bool nextByte()
    {
        if (m_nZeros >= 2 && m_nPos < m_nLength && m_pData[m_nPos] == 3) {
            ++m_nPos;
            m_nZeros = 0;
        }
        if (m_nPos >= m_nLength) {
            m_bOk = false;
            return false;
        }
        m_nByte = m_pData[m_nPos++];
        m_nZeros = m_nByte == 0 ? m_nZeros + 1 : 0;
        m_nBit = 8;
        return true;
    }

    const unsigned char *m_pData;
    size_t m_nLength;
    size_t m_nPos = 0;
    int m_nZeros = 0;
    unsigned m_nByte = 0;
    int m_nBit = 0;
    bool m_bOk = true;
};

bool hasChromaFormat(uint32_t nProfile)
{
    switch (nProfile) {
    case 100:
    case 110:
    case 122:
    case 244:
    case 44:
    case 83:
    case 86:
    case 118:
    case 128:
    case 138:
    case 139:
    case 134:
    case 135:
        return true;
    default:
        return false;
    }
}

void skipScalingList(BitReader &reader, int nSize)
{
    int32_t nLast = 8;
    int32_t nNext = 8;
    for (int i = 0; i < nSize && reader.ok(); ++i) {
        if (nNext != 0)
            nNext = (nLast + reader.se() + 256) % 256;
        nLast = nNext == 0 ? nLast : nNext;
    }
}

// Returns the chroma format (0 for monochrome or separate planes).
uint32_t readChroma(BitReader &reader)
{
    const uint32_t nFormat = reader.ue();
    bool bSeparatePlanes = false;
    if (nFormat == 3)
        bSeparatePlanes = reader.bits(1) != 0;
    reader.ue(); // luma bit depth
    reader.ue(); // chroma bit depth
    reader.bits(1);
    if (reader.bits(1)) { // scaling matrices
        const int nLists = nFormat == 3 ? 12 : 8;
        for (int i = 0; i < nLists && reader.ok(); ++i)
            if (reader.bits(1))
                skipScalingList(reader, i < 6 ? 16 : 64);
    }
    return nFormat > 3 ? 4 : (bSeparatePlanes ? 0 : nFormat);
}

void skipPictureOrder(BitReader &reader)
{
    const uint32_t nType = reader.ue();
    if (nType == 0) {
        reader.ue();
    } else if (nType == 1) {
        reader.bits(1);
        reader.se();
        reader.se();
        const uint32_t nCycle = reader.ue();
        for (uint32_t i = 0; i < nCycle && i < 256 && reader.ok(); ++i)
            reader.se();
    }
}
} // namespace

bool SpsPictureSize::parse(const unsigned char *pNal, size_t nLength, Size &size)
{
    BitReader reader(pNal, std::min(nLength, kSpsBytes));
    if ((reader.bits(8) & 0x1f) != kNalTypeSps)
        return false;
    const uint32_t nProfile = reader.bits(8);
    reader.bits(16); // constraint flags, level
    reader.ue();     // parameter set id
    const uint32_t nChroma = hasChromaFormat(nProfile) ? readChroma(reader) : 1;
    reader.ue(); // frame number bits
    skipPictureOrder(reader);
    reader.ue();    // reference frames
    reader.bits(1); // gaps allowed
    const uint32_t nWidthMbs = reader.ue() + 1;
    const uint32_t nHeightUnits = reader.ue() + 1;
    const uint32_t nFrameMbsOnly = reader.bits(1);
    if (!nFrameMbsOnly)
        reader.bits(1);
    reader.bits(1);                   // direct 8x8
    uint32_t nCrop[4] = {0, 0, 0, 0}; // left, right, top, bottom
    if (reader.bits(1))
        for (uint32_t &nEdge : nCrop)
            nEdge = reader.ue();
    if (!reader.ok() || nChroma > 3 || nWidthMbs > kMaxMacroblocks ||
        nHeightUnits > kMaxMacroblocks)
        return false;
    for (uint32_t nEdge : nCrop)
        if (nEdge > kMaxCrop)
            return false;
    const uint32_t nUnitX = (nChroma == 1 || nChroma == 2) ? 2 : 1;
    const uint32_t nUnitY = (nChroma == 1 ? 2 : 1) * (2 - nFrameMbsOnly);
    const int64_t nWidth =
        int64_t(nWidthMbs) * kMacroblock - int64_t(nUnitX) * (nCrop[0] + nCrop[1]);
    const int64_t nHeight = int64_t(nHeightUnits) * kMacroblock * (2 - nFrameMbsOnly) -
                            int64_t(nUnitY) * (nCrop[2] + nCrop[3]);
    if (nWidth <= 0 || nHeight <= 0)
        return false;
    size.nWidth = int(nWidth);
    size.nHeight = int(nHeight);
    return true;
}

bool SpsPictureSize::find(const unsigned char *pData, size_t nLength, Size &size)
{
    if (!pData)
        return false;
    const size_t nScan = std::min(nLength, kScanBytes);
    for (size_t i = 0; i + 3 < nScan; ++i) {
        if (pData[i] != 0 || pData[i + 1] != 0 || pData[i + 2] != 1)
            continue;
        if ((pData[i + 3] & 0x1f) == kNalTypeSps)
            return parse(pData + i + 3, nLength - i - 3, size);
    }
    return false;
}
