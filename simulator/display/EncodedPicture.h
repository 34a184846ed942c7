#pragma once
// One encoded picture as the display publishes it: made once on the
// stream's thread and never changed after, so every viewer's connection
// can send the same bytes without a copy per viewer or a lock.

#include <cstdint>
#include <memory>
#include <vector>

struct EncodedPicture
{
    std::vector<uint8_t> bytes; // one whole access unit
    bool keyFrame = false;      // an IDR with SPS and PPS in front
    uint64_t number = 0;        // 1, 2, ... in the order made
};

using SharedPicture = std::shared_ptr<const EncodedPicture>;
