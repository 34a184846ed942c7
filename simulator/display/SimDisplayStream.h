#pragma once
// The simulated recorder's live display as an H.264 stream for any number
// of viewers.
//
// Threads: one thread of the stream's own applies the remote commands,
// draws (SimScreen), encodes (H264Encoder) and publishes each picture once
// on its board (PictureBoard), whatever the number of viewers: framing and
// sending it per viewer is the readers' work, on their own thread. Every
// other public call may come from any thread: it only records state or
// queues work under one plain mutex and wakes that thread. A command is
// drawn and sent as soon as the thread wakes for it (after the picture in
// progress, if any), not at the next tick; between commands pictures follow
// the fps cadence, each tick counted from the last picture sent. Nothing is
// drawn or encoded while there are no viewers.
//
// Queued moves are merged (only the newest position matters), so input never
// piles up behind a slow picture.
//
// Pacing (RateControl::Adaptive): one encoder serves every viewer, so a
// picture is either made for all of them or for none. Whoever sends the
// pictures folds its viewers' paths into one pace (setPace): the rate the
// slowest carries and whether any queue is over its budget. While the
// stream is held no picture is drawn or encoded at all: skipping before
// encoding keeps every reference intact, where dropping an encoded picture
// for one viewer would break its decoder until the next IDR. Input still
// changes the screen meanwhile; the picture made when the hold ends shows
// all of it. A viewer that cannot be kept up with must stop holding (its
// sender then drops its media and asks for an IDR with requestKeyFrame()),
// or it would stall the others. Fixed (--fixed-rate): a constant-quality
// stream with a periodic IDR, which ignores the pace.
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
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "H264Encoder.h"
#include "PictureBoard.h"
#include "PictureSource.h"
#include "PictureTrace.h"

class SimScreen;

class SimDisplayStream : public PictureSource
{
public:
    struct Timing
    {
        uint64_t frames = 0;
        double renderMs = 0; // mean over all pictures sent
        double encodeMs = 0;
        double maxTotalMs = 0;
    };

    using RateControl = H264Encoder::RateControl;

    // tracePath: where the display traces what it takes and makes (see
    // PictureTrace); empty for no trace.
    SimDisplayStream(int width, int height, int fps, RateControl rate = RateControl::Fixed,
                     const std::string &tracePath = std::string());
    ~SimDisplayStream() override; // stops and joins its thread
    SimDisplayStream(const SimDisplayStream &) = delete;
    SimDisplayStream &operator=(const SimDisplayStream &) = delete;

    // PictureSource. The stream draws only while viewers are there; a
    // fixed-rate stream ignores the pace; the caller bounds how often it
    // asks for a keyframe.
    int addViewer() override;
    void removeViewer(int id) override;
    void setPace(int64_t maxRate, bool hold) override;
    PictureBoard &pictures() override { return m_pictures; }
    void requestKeyFrame() override;
    uint64_t skipped() const override { return m_skipped; }
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

    struct Work
    {
        std::deque<RemoteCtrlEvent> events;
        bool forceIdr = false;
        bool released = false; // a hold ended: a held picture is due
        QSize size;
    };

    static QSize sanitized(int width, int height);
    QDateTime displayClock() const;
    void run();
    void produce(SimScreen &screen, QImage &image, std::unique_ptr<H264Encoder> &encoder,
                 bool forceIdr, int64_t maxRate, int64_t ms, PictureTrace &trace);
    void record(double renderMs, double encodeMs);

    const int m_fps;
    const RateControl m_rateControl;
    std::atomic<uint64_t> m_skipped{0};
    std::atomic<int> m_width;
    std::atomic<int> m_height;
    const int m_utcOffset; // seconds, taken when the stream is made
    const std::string m_tracePath;

    std::mutex m_mutex; // guards m_work, m_stop, the viewers and the pace
    std::condition_variable m_wake;
    Work m_work;
    bool m_stop = false;
    std::vector<int> m_viewers;
    int m_nextViewer = 1;
    int64_t m_paceRate = 0;
    bool m_paceHold = false;

    PictureBoard m_pictures;

    mutable std::mutex m_timingMutex;
    Timing m_timing;

    std::thread m_thread;
};
