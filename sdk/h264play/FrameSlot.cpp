#include "FrameSlot.h"

#include "SurfaceLink.h"

QImage FrameSlot::publish(const QImage &image, const TvPlayFrameTimes &times)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QImage replaced = m_frame.image;
    m_frame.image = image;
    m_frame.times = times;
    ++m_frame.serial;
    if (m_link)
        m_link->requestUpdate();
    return replaced;
}

bool FrameSlot::latest(Frame &frame) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_frame.image.isNull())
        return false;
    frame = m_frame;
    return true;
}

void FrameSlot::notePainted(const Frame &frame, std::int64_t paintedNs)
{
    TvPlayFrameObserver observer = nullptr;
    void *user = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (frame.serial == m_paintedSerial)
            return;
        m_paintedSerial = frame.serial;
        ++m_framesPainted;
        observer = m_observer;
        user = m_observerUser;
    }
    if (observer) {
        TvPlayFrameTimes times = frame.times;
        times.paintedNs = paintedNs;
        observer(user, &times);
    }
}

void FrameSlot::setLink(SurfaceLink *link)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_link = link;
}

void FrameSlot::setTargetSize(const QSize &size)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_target = size;
}

QSize FrameSlot::targetSize() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_target;
}

void FrameSlot::setObserver(TvPlayFrameObserver observer, void *user)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_observer = observer;
    m_observerUser = user;
}

std::int64_t FrameSlot::framesPainted() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_framesPainted;
}

void FrameSlot::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_frame.image = QImage();
    m_frame.times = TvPlayFrameTimes{};
    m_paintedSerial = m_frame.serial;
    m_framesPainted = 0;
}
