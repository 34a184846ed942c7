#pragma once
// The simulated recorder's live display as an H.264 stream for any number
// of viewers.
//
// Threads: one thread of the stream's own applies the remote commands,
// draws (SimScreen) and encodes (H264Encoder); it alone touches them, and it
// calls the sinks. Every other public call may come from any thread: it only
// queues work and wakes that thread. A command is drawn and sent as soon as
// the thread wakes for it (after the picture in progress, if any), not at the
// next tick; between commands pictures follow the fps cadence, each tick
// counted from the last picture sent. Nothing is drawn or encoded while
// there are no viewers.
//
// Queued moves are merged (only the newest position matters), so input never
// piles up behind a slow picture.
//
// Sizes are made even and kept within 16..4096 pixels, as the encoder needs;
// fps is kept within 1..120.

#include "RemoteCtrlEvent.h"

#include <QDateTime>
#include <QImage>
#include <QSize>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class SimScreen;
class H264Encoder;

class SimDisplayStream
{
public:
    // Called on the stream's own thread, one complete access unit per call;
    // must not block.
    using Sink = std::function<void(const uint8_t *data, size_t size, bool keyFrame)>;

    struct Timing
    {
        uint64_t frames = 0;
        double renderMs = 0; // mean over all pictures sent
        double encodeMs = 0;
        double maxTotalMs = 0;
    };

    SimDisplayStream(int width, int height, int fps);
    ~SimDisplayStream(); // stops and joins its thread
    SimDisplayStream(const SimDisplayStream &) = delete;
    SimDisplayStream &operator=(const SimDisplayStream &) = delete;

    // The viewer's first data is an IDR frame with SPS and PPS. Whatever the
    // sink refers to must stay valid until removeViewer() returns or the
    // stream is destroyed.
    int addViewer(Sink sink);
    // Once it returns, that sink is never called again. It waits for a sink
    // call in progress, so do not call it while holding a lock a sink takes
    // (from inside a sink it is fine).
    void removeViewer(int id);
    void apply(const RemoteCtrlEvent &event);
    // The stream continues at the new size, starting with an IDR frame.
    void setResolution(int width, int height);
    int width() const { return m_width; }
    int height() const { return m_height; }
    int fps() const { return m_fps; }
    Timing timing() const;

private:
    // Far more than a client sends during one picture; beyond it commands
    // are dropped rather than held without bound.
    static constexpr size_t kMaxQueuedEvents = 1024;

    struct Viewer
    {
        int id;
        Sink sink;
        bool started = false;
        bool removed = false;
    };
    struct Work
    {
        std::deque<RemoteCtrlEvent> events;
        bool forceIdr = false;
        QSize size;
    };

    static QSize sanitized(int width, int height);
    QDateTime displayClock() const;
    void run();
    bool hasViewers();
    void produce(SimScreen &screen, QImage &image, std::unique_ptr<H264Encoder> &encoder,
                 bool forceIdr, int64_t ms);
    void deliver(const std::vector<uint8_t> &unit, bool keyFrame);
    void record(double renderMs, double encodeMs);

    const int m_fps;
    std::atomic<int> m_width;
    std::atomic<int> m_height;
    const int m_utcOffset; // seconds, taken when the stream is made

    std::mutex m_mutex; // guards m_work and m_stop
    std::condition_variable m_wake;
    Work m_work;
    bool m_stop = false;

    std::recursive_mutex m_viewerMutex; // held while sinks run
    std::vector<Viewer> m_viewers;
    int m_nextViewer = 1;
    bool m_delivering = false;

    mutable std::mutex m_timingMutex;
    Timing m_timing;

    std::thread m_thread;
};
