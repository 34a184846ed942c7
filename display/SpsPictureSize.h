#pragma once
// Finds the picture size in an H.264 sequence parameter set at the start of
// a block of stream data. Built for the SDK's data thread: it looks at a
// bounded number of bytes, allocates nothing, and takes any bytes a peer
// sends, failing rather than reading past the block.

#include <cstddef>

class SpsPictureSize
{
public:
    struct Size
    {
        int nWidth = 0;
        int nHeight = 0;
    };

    // Bytes of a block searched for the start of a sequence parameter set:
    // one comes first in a block, after at most an access unit delimiter.
    static constexpr size_t kScanBytes = 64;
    // Bytes of the parameter set read: enough for any one this client meets.
    static constexpr size_t kSpsBytes = 256;

    // The size that a parameter set near the start of the block gives,
    // cropping applied; false when there is none or it does not parse.
    static bool find(const unsigned char *pData, size_t nLength, Size &size);
    // The same for one parameter set, from its NAL header byte on, with the
    // emulation prevention bytes still in.
    static bool parse(const unsigned char *pNal, size_t nLength, Size &size);
};
