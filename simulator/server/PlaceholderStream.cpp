#include "PlaceholderStream.h"

#include <chrono>
#include <utility>
#include <vector>

PlaceholderStream::PlaceholderStream(int width, int height, int fps)
    : m_width(width), m_height(height), m_fps(fps > 0 ? fps : 25)
{
    m_thread = std::thread([this] { run(); });
}

PlaceholderStream::~PlaceholderStream()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_cv.notify_all();
    m_thread.join();
}

int PlaceholderStream::addViewer(Sink sink)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_viewers[m_nextId] = Viewer{std::move(sink), true};
    return m_nextId++;
}

void PlaceholderStream::removeViewer(int id)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_viewers.erase(id);
    if (m_thread.get_id() != std::this_thread::get_id())
        m_cv.wait(lock, [this] { return !m_delivering; });
}

void PlaceholderStream::requestKeyFrame()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto &v : m_viewers)
        v.second.needKey = true;
}

void PlaceholderStream::setResolution(int width, int height)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_width = width;
    m_height = height;
    for (auto &v : m_viewers)
        v.second.needKey = true;
}

int PlaceholderStream::width() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_width;
}

int PlaceholderStream::height() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_height;
}

void PlaceholderStream::run()
{
    const auto period = std::chrono::microseconds(1000000 / m_fps);
    auto next = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_cv.wait_until(lock, next, [this] { return m_quit; })) {
        next += period;
        const std::uint32_t n = m_frame++;
        const bool periodicKey = n % std::uint32_t(2 * m_fps) == 0;
        m_delivering = true;
        std::vector<std::pair<Sink, bool>> calls;
        for (auto &entry : m_viewers) {
            calls.emplace_back(entry.second.sink, entry.second.needKey || periodicKey);
            entry.second.needKey = false;
        }
        lock.unlock();
        // filler NAL unit (type 12) carrying the frame number
        const std::vector<std::uint8_t> au = {0,
                                              0,
                                              0,
                                              1,
                                              0x09,
                                              0xf0,
                                              0,
                                              0,
                                              0,
                                              1,
                                              0x0c,
                                              std::uint8_t(n >> 24),
                                              std::uint8_t(n >> 16),
                                              std::uint8_t(n >> 8),
                                              std::uint8_t(n),
                                              0x80};
        for (auto &call : calls)
            call.first(au.data(), au.size(), call.second);
        lock.lock();
        m_delivering = false;
        m_cv.notify_all();
    }
}
