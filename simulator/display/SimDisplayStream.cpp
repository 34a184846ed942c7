#include "SimDisplayStream.h"

#include "H264Encoder.h"
#include "SimScreen.h"

#include <QDateTime>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <pthread.h>

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
    // Named, so that a benchmark can tell its time from the encoder's helpers.
    pthread_setname_np(m_thread.native_handle(), "sim-display");
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

int SimDisplayStream::addViewer()
{
    int id;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        id = m_nextViewer++;
        m_viewers.push_back(id);
        m_work.forceIdr = true;
    }
    m_wake.notify_all();
    return id;
}

void SimDisplayStream::removeViewer(int id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_viewers.erase(std::remove(m_viewers.begin(), m_viewers.end(), id), m_viewers.end());
}

void SimDisplayStream::setPace(int64_t maxRate, bool hold)
{
    bool released;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        released = m_paceHold && !hold;
        m_paceRate = maxRate;
        m_paceHold = hold;
        m_work.released = m_work.released || released;
    }
    if (released)
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
        bool watched, hold;
        int64_t maxRate;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait_until(lock, next, [this] {
                return m_stop || !m_work.events.empty() || m_work.size.isValid() ||
                       m_work.forceIdr || m_work.released;
            });
            if (m_stop)
                break;
            std::swap(work, m_work);
            watched = !m_viewers.empty();
            const bool adaptive = m_rateControl == RateControl::Adaptive;
            maxRate = adaptive ? m_paceRate : 0;
            hold = adaptive && m_paceHold;
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
        if (!watched) {
            idrDue = held = false;
            next = now + period;
            continue;
        }
        idrDue = idrDue || work.forceIdr;
        if (hold) {
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
    m_pictures.publish(std::move(unit), key);
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
