#include "RealPlayStream.h"

#include "NetSdkCodes.h"

namespace netsdk {

namespace {
constexpr std::size_t kEarlyLimitBytes = 4 * 1024 * 1024;
constexpr std::size_t kEarlyLimitBlocks = 128;
} // namespace

void RealPlayStream::setCallback(tvsdk::RealDataCallback callback, void *user)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_closed)
        return;
    m_callback = callback;
    m_user = user;
    ++m_generation;
    m_everSet = m_everSet || callback;
}

void RealPlayStream::removeCallback()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_callback = nullptr;
    m_user = nullptr;
    ++m_generation;
    m_early.clear();
    m_earlyBytes = 0;
    if (m_runner != std::this_thread::get_id())
        m_idle.wait(lock, [this] { return !m_running; });
}

void RealPlayStream::close()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closed = true;
    }
    removeCallback();
}

void RealPlayStream::queueEarly(int dataType, const std::uint8_t *data, std::size_t size)
{
    // Bounded: when nobody collects the blocks, keep only the newest run
    // that starts with a keyframe.
    if (dataType == RealDataVideoKey || m_early.size() >= kEarlyLimitBlocks ||
        m_earlyBytes + size > kEarlyLimitBytes) {
        m_early.clear();
        m_earlyBytes = 0;
    }
    if (m_early.empty() && dataType != RealDataVideoKey)
        return;
    m_early.push_back(Block{dataType, std::vector<std::uint8_t>(data, data + size)});
    m_earlyBytes += size;
}

void RealPlayStream::deliver(int dataType, const std::uint8_t *data, std::size_t size)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_closed)
        return;
    if (!m_callback) {
        if (!m_everSet)
            queueEarly(dataType, data, size);
        return;
    }
    std::deque<Block> early;
    early.swap(m_early);
    m_earlyBytes = 0;
    callOutsideLock(lock, early, dataType, data, size);
}

void RealPlayStream::flushPending()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_closed || !m_callback || m_early.empty())
        return;
    std::deque<Block> early;
    early.swap(m_early);
    m_earlyBytes = 0;
    callOutsideLock(lock, early, 0, nullptr, 0);
}

// A callback removed or replaced while a batch runs (from inside it, most
// often) gets none of the batch's remaining blocks.
bool RealPlayStream::stillCurrent(unsigned generation)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return generation == m_generation;
}

void RealPlayStream::callOutsideLock(std::unique_lock<std::mutex> &lock, std::deque<Block> &early,
                                     int dataType, const std::uint8_t *data, std::size_t size)
{
    const tvsdk::RealDataCallback callback = m_callback;
    void *user = m_user;
    const unsigned generation = m_generation;
    m_running = true;
    m_runner = std::this_thread::get_id();
    lock.unlock();
    bool current = true;
    for (Block &b : early) {
        callback(m_handle, b.dataType, b.data.data(), int(b.data.size()), user);
        current = stillCurrent(generation);
        if (!current)
            break;
    }
    if (data && current)
        callback(m_handle, dataType, const_cast<std::uint8_t *>(data), int(size), user);
    lock.lock();
    m_running = false;
    m_runner = std::thread::id();
    m_idle.notify_all();
}

} // namespace netsdk
