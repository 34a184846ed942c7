#include "SimDisplayStream.h"

#include "H264Encoder.h"
#include "SimScreen.h"

#include <QDateTime>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

namespace {
using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}
} // namespace

SimDisplayStream::SimDisplayStream(int width, int height, int fps, RateControl rate,
                                   const std::string &tracePath)
    : m_fps(std::clamp(fps, 1, 120)), m_rateControl(rate),
      m_width(sanitized(width, height).width()), m_height(sanitized(width, height).height()),
      m_utcOffset(QDateTime::currentDateTime().offsetFromUtc()), m_tracePath(tracePath)
{
    m_thread = std::thread([this] { run(); });
}

QDateTime SimDisplayStream::displayClock() const
{
    // Local time without the time-zone machinery on this thread: that reads
    // process-wide state that other threads may be changing.
    return QDateTime::currentDateTimeUtc().addSecs(m_utcOffset).toOffsetFromUtc(0);
}

SimDisplayStream::~SimDisplayStream()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

QSize SimDisplayStream::sanitized(int width, int height)
{
    return QSize(std::clamp(width, 16, 4096) & ~1, std::clamp(height, 16, 4096) & ~1);
}

int SimDisplayStream::addViewer(Sink sink)
{
    int id;
    {
        std::lock_guard<std::recursive_mutex> lock(m_viewerMutex);
        id = m_nextViewer++;
        m_viewers.push_back({id, std::move(sink)});
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_work.forceIdr = true;
    }
    m_wake.notify_all();
    return id;
}

void SimDisplayStream::removeViewer(int id)
{
    std::lock_guard<std::recursive_mutex> lock(m_viewerMutex);
    for (Viewer &v : m_viewers) {
        if (v.id == id)
            v.removed = true;
    }
    // During delivery (a sink removing itself or another) the list is
    // being walked; deliver() sweeps it afterwards.
    if (!m_delivering)
        m_viewers.erase(std::remove_if(m_viewers.begin(), m_viewers.end(),
                                       [](const Viewer &v) { return v.removed; }),
                        m_viewers.end());
}

void SimDisplayStream::setViewerPace(int id, int64_t maxRate, bool hold)
{
    bool released = false;
    {
        std::lock_guard<std::recursive_mutex> lock(m_viewerMutex);
        for (Viewer &v : m_viewers) {
            if (v.id != id)
                continue;
            released = v.hold && !hold;
            v.maxRate = maxRate;
            v.hold = hold;
        }
    }
    if (!released)
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_work.released = true;
    }
    m_wake.notify_all();
}

void SimDisplayStream::requestKeyFrame()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_work.forceIdr = true;
    }
    m_wake.notify_all();
}

void SimDisplayStream::apply(const RemoteCtrlEvent &event)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::deque<RemoteCtrlEvent> &queue = m_work.events;
        // A move only places the pointer, so a newer one replaces a queued
        // one: a flood of moves never piles up while a picture is made.
        if (event.msgType == ZT_MSG_MOUSE_MOVE && !queue.empty() &&
            queue.back().msgType == ZT_MSG_MOUSE_MOVE)
            queue.back() = event;
        else if (queue.size() < kMaxQueuedEvents)
            queue.push_back(event);
    }
    m_wake.notify_all();
}

void SimDisplayStream::setResolution(int width, int height)
{
    const QSize size = sanitized(width, height);
    m_width = size.width();
    m_height = size.height();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_work.size = size;
    }
    m_wake.notify_all();
}

SimDisplayStream::Timing SimDisplayStream::timing() const
{
    std::lock_guard<std::mutex> lock(m_timingMutex);
    return m_timing;
}

bool SimDisplayStream::hasViewers()
{
    std::lock_guard<std::recursive_mutex> lock(m_viewerMutex);
    return !m_viewers.empty();
}

bool SimDisplayStream::paced(int64_t &maxRate)
{
    maxRate = 0;
    if (m_rateControl == RateControl::Fixed)
        return true;
    std::lock_guard<std::recursive_mutex> lock(m_viewerMutex);
    for (const Viewer &v : m_viewers) {
        if (v.removed)
            continue;
        if (v.hold)
            return false;
        if (v.maxRate > 0 && (maxRate == 0 || v.maxRate < maxRate))
            maxRate = v.maxRate;
    }
    return true;
}

void SimDisplayStream::run()
{
    SimScreen screen(QSize(m_width, m_height));
    PictureTrace trace(m_tracePath);
    std::unique_ptr<H264Encoder> encoder;
    QImage image;
    const auto period = std::chrono::microseconds(1000000 / m_fps);
    const Clock::time_point start = Clock::now();
    Clock::time_point next = start;
    bool held = false;   // a picture was due but a viewer held the stream
    bool idrDue = false; // asked for while held
    for (;;) {
        Work work;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait_until(lock, next, [this] {
                return m_stop || !m_work.events.empty() || m_work.size.isValid() ||
                       m_work.forceIdr || m_work.released;
            });
            if (m_stop)
                break;
            std::swap(work, m_work);
        }
        if (work.size.isValid() && work.size != screen.size()) {
            screen.resize(work.size);
            encoder.reset(); // the next one starts with an IDR at the new size
        }
        for (const RemoteCtrlEvent &e : work.events)
            screen.apply(e);
        if (!work.events.empty())
            trace.taken(work.events.size());
        const Clock::time_point now = Clock::now();
        const bool urgent =
            !work.events.empty() || work.forceIdr || work.size.isValid() || (work.released && held);
        if (!urgent && now < next)
            continue;
        // A forced IDR without viewers is dropped: the next viewer asks again.
        if (!hasViewers()) {
            idrDue = held = false;
            next = now + period;
            continue;
        }
        int64_t maxRate = 0;
        idrDue = idrDue || work.forceIdr;
        if (!paced(maxRate)) {
            // Skipped, not queued: what is due now is drawn when the hold
            // ends, an IDR included.
            ++m_skipped;
            held = true;
            next = now + period;
            continue;
        }
        held = false;
        produce(screen, image, encoder, idrDue, maxRate,
                std::chrono::duration_cast<std::chrono::milliseconds>(now - start).count(), trace);
        idrDue = false;
        next = std::max(now + period, Clock::now());
    }
}

void SimDisplayStream::produce(SimScreen &screen, QImage &image,
                               std::unique_ptr<H264Encoder> &encoder, bool forceIdr,
                               int64_t maxRate, int64_t ms, PictureTrace &trace)
{
    const Clock::time_point t0 = Clock::now();
    screen.render(image, displayClock(), ms);
    const double renderMs = msSince(t0);
    if (!encoder) {
        encoder = std::make_unique<H264Encoder>(screen.size().width(), screen.size().height(),
                                                m_fps, m_rateControl, maxRate);
        if (!encoder->isOpen())
            std::fprintf(stderr, "sim display: %s\n", encoder->error().c_str());
    }
    encoder->setMaxRate(maxRate);
    const Clock::time_point t1 = Clock::now();
    std::vector<uint8_t> unit;
    bool key = false;
    if (!encoder->encode(image, ms, forceIdr, unit, key))
        return;
    record(renderMs, msSince(t1));
    trace.picture(unit.size(), key);
    deliver(unit, key);
}

void SimDisplayStream::deliver(const std::vector<uint8_t> &unit, bool keyFrame)
{
    std::lock_guard<std::recursive_mutex> lock(m_viewerMutex);
    m_delivering = true;
    // By index: a sink may add a viewer, which grows the list.
    for (size_t i = 0; i < m_viewers.size(); ++i) {
        if (m_viewers[i].removed || !(m_viewers[i].started || keyFrame))
            continue;
        m_viewers[i].started = true;
        const Sink sink = m_viewers[i].sink;
        sink(unit.data(), unit.size(), keyFrame);
    }
    m_delivering = false;
    m_viewers.erase(std::remove_if(m_viewers.begin(), m_viewers.end(),
                                   [](const Viewer &v) { return v.removed; }),
                    m_viewers.end());
}

void SimDisplayStream::record(double renderMs, double encodeMs)
{
    std::lock_guard<std::mutex> lock(m_timingMutex);
    const double n = double(m_timing.frames);
    m_timing.renderMs = (m_timing.renderMs * n + renderMs) / (n + 1);
    m_timing.encodeMs = (m_timing.encodeMs * n + encodeMs) / (n + 1);
    m_timing.maxTotalMs = std::max(m_timing.maxTotalMs, renderMs + encodeMs);
    ++m_timing.frames;
}
