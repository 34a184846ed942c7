#pragma once
// The single latest-frame slot of a port: the conversion thread puts each
// converted picture here and the surface paints whatever is newest, so a
// slow painter skips frames instead of showing them late.
//
// Threads: publish() and targetSize() run on the conversion thread; setLink(),
// latest(), notePainted() and setTargetSize() on the GUI thread;
// setObserver() on any. One mutex guards everything. The slot lives as
// long as its port (for the whole process).

#include "H264PlayObserver.h"

#include <QImage>
#include <QSize>

#include <cstdint>
#include <mutex>

class SurfaceLink;

class FrameSlot
{
public:
    struct Frame
    {
        QImage image;
        TvPlayFrameTimes times{};
        std::uint64_t serial = 0;
    };

    // Replaces the newest frame and asks the link, if any, to repaint.
    // Returns the picture it replaced, for the converter to reuse once nobody
    // paints it any more.
    QImage publish(const QImage &image, const TvPlayFrameTimes &times);
    bool latest(Frame &frame) const;
    // Reports a frame to the observer the first time it is painted.
    void notePainted(const Frame &frame, std::int64_t paintedNs);

    // Swapped under the mutex, so once this returns the old link is never
    // called again and may be deleted.
    void setLink(SurfaceLink *link);
    void setTargetSize(const QSize &size);
    QSize targetSize() const;
    void setObserver(TvPlayFrameObserver observer, void *user);
    std::int64_t framesPainted() const;
    // Forgets the picture (not the observer) when a stream is closed.
    void clear();

private:
    mutable std::mutex m_mutex;
    Frame m_frame;
    std::uint64_t m_paintedSerial = 0;
    std::int64_t m_framesPainted = 0;
    QSize m_target;
    SurfaceLink *m_link = nullptr;
    TvPlayFrameObserver m_observer = nullptr;
    void *m_observerUser = nullptr;
};
