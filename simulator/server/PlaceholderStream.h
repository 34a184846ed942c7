#pragma once
// Stands in for the simulator's display stream when the display library is
// not built: the same interface, producing small access units (an access
// unit delimiter and a filler unit) at the frame rate, a key unit first for
// every viewer and every two seconds.
//
// Threads: its own thread calls the sinks; the other methods are
// thread-safe. removeViewer() waits out a running sink call.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

class PlaceholderStream
{
public:
    using Sink = std::function<void(const std::uint8_t *data, std::size_t size, bool keyFrame)>;

    PlaceholderStream(int width, int height, int fps);
    ~PlaceholderStream();

    int addViewer(Sink sink);
    void removeViewer(int id);
    void setResolution(int width, int height);
    // Nothing to pace: the units are a few bytes each.
    void setViewerPace(int, std::int64_t, bool) {}
    void requestKeyFrame();
    std::uint64_t skipped() const { return 0; }
    int width() const;
    int height() const;

private:
    struct Viewer
    {
        Sink sink;
        bool needKey = true;
    };
    void run();

    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::map<int, Viewer> m_viewers;
    int m_nextId = 1;
    int m_width;
    int m_height;
    const int m_fps;
    bool m_quit = false;
    bool m_delivering = false;
    std::uint32_t m_frame = 0;
    std::thread m_thread;
};
