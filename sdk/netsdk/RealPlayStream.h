#pragma once
// One real play: its handle, the recorder's stream id and the data callback.
//
// Threads: deliver() and flushPending() run on the owning session's thread;
// setCallback(), removeCallback() and close() on any thread. The callback is
// only ever called by deliver()/flushPending(), outside the lock, with
// m_running marking the call; removeCallback() waits for a running call to
// end (unless it is that call's own thread), so that once it returns the
// callback is not running and cannot start again: not even for the rest of
// a batch of held blocks when the callback removed itself from inside.

#include "SdkDefs.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace netsdk {

class RealPlayStream
{
public:
    RealPlayStream(int handle, std::uint32_t streamId) : m_handle(handle), m_streamId(streamId) {}

    int handle() const { return m_handle; }
    std::uint32_t streamId() const { return m_streamId; }

    void setCallback(tvsdk::RealDataCallback callback, void *user);
    void removeCallback();
    // Removes the callback for good: later setCallback() calls are ignored.
    void close();

    void deliver(int dataType, const std::uint8_t *data, std::size_t size);
    void flushPending();

private:
    struct Block
    {
        int dataType;
        std::vector<std::uint8_t> data;
    };
    void queueEarly(int dataType, const std::uint8_t *data, std::size_t size);
    void callOutsideLock(std::unique_lock<std::mutex> &lock, std::deque<Block> &early, int dataType,
                         const std::uint8_t *data, std::size_t size);
    bool stillCurrent(unsigned generation);

    const int m_handle;
    const std::uint32_t m_streamId;
    std::mutex m_mutex;
    std::condition_variable m_idle;
    tvsdk::RealDataCallback m_callback = nullptr;
    void *m_user = nullptr;
    bool m_everSet = false;
    bool m_closed = false;
    bool m_running = false;
    unsigned m_generation = 0; // changes whenever the callback is replaced or removed
    std::thread::id m_runner;
    // Blocks that came between the start of real play and the first
    // callback, so that the stream still starts with its keyframe.
    std::deque<Block> m_early;
    std::size_t m_earlyBytes = 0;
};

} // namespace netsdk
