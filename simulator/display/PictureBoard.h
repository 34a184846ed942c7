#pragma once
// Where the display's stream leaves its pictures for whoever sends them:
// the latest kKept, each published once, numbered, and one wake-up per
// picture however many viewers there are.
//
// Threads: publish() runs on the stream's thread, take() and setWake() on
// any other. The wake is called on the publishing thread with the board's
// lock held, so that once setWake() returns the old wake is never called
// again; it must only signal (write an eventfd, say), never block or call
// back into the board.
//
// A reader keeps a cursor (the number of the last picture it took). One
// that falls more than kKept pictures behind loses the oldest and is told
// so: what follows up to the next keyframe refers to pictures it never
// got.

#include "EncodedPicture.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

class PictureBoard
{
public:
    static constexpr std::size_t kKept = 64;

    void setWake(std::function<void()> wake);
    void publish(std::vector<uint8_t> bytes, bool keyFrame);
    // Appends the pictures after `cursor` to `out`, oldest first, and moves
    // the cursor past them. False when some were lost on the way.
    bool take(uint64_t &cursor, std::vector<SharedPicture> &out) const;
    // A sole reader lets go of what it took, so that pictures are not kept
    // alive after they were sent.
    void release(uint64_t upTo);
    // The number of the newest picture, 0 before the first: a reader that
    // starts there takes only what comes after.
    uint64_t latest() const;

private:
    mutable std::mutex m_mutex;
    std::deque<SharedPicture> m_kept;
    uint64_t m_published = 0;
    std::function<void()> m_wake;
};
