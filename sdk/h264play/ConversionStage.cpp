#include "ConversionStage.h"

#include "FrameSlot.h"
#include "SteadyClock.h"

extern "C" {
#include <libavutil/frame.h>
}

ConversionStage::ConversionStage(FrameSlot &slot) : m_slot(slot) {}

ConversionStage::~ConversionStage()
{
    finish();
    av_frame_free(&m_waiting);
    av_frame_free(&m_current);
}

bool ConversionStage::start()
{
    m_waiting = av_frame_alloc();
    m_current = av_frame_alloc();
    if (!m_waiting || !m_current)
        return false;
    m_thread = std::thread(&ConversionStage::run, this);
    return true;
}

void ConversionStage::submit(AVFrame *frame, std::int64_t inputNs, std::int64_t decodedNs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_cv.wait(lock, [this] { return !m_full || m_finishing; });
    if (m_finishing || !m_thread.joinable())
        return av_frame_unref(frame);
    av_frame_move_ref(m_waiting, frame);
    m_inputNs = inputNs;
    m_decodedNs = decodedNs;
    m_full = true;
    m_cv.notify_all();
}

void ConversionStage::finish()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_finishing = true;
        m_cv.notify_all();
    }
    if (m_thread.joinable())
        m_thread.join();
}

void ConversionStage::run()
{
    for (;;) {
        std::int64_t inputNs = 0, decodedNs = 0;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_cv.wait(lock, [this] { return m_full || m_finishing; });
            if (!m_full)
                break;
            av_frame_move_ref(m_current, m_waiting);
            inputNs = m_inputNs;
            decodedNs = m_decodedNs;
            m_full = false;
            m_cv.notify_all();
        }
        present(m_current, inputNs, decodedNs);
        av_frame_unref(m_current);
    }
}

void ConversionStage::present(const AVFrame *frame, std::int64_t inputNs, std::int64_t decodedNs)
{
    const QSize target = m_slot.targetSize();
    if (target.isEmpty() || frame->width <= 0 || frame->height <= 0)
        return;
    // The spare is reused only when no painter holds it any more; the
    // reference count can only drop while this stage owns it.
    QImage image;
    if (m_spare.size() == target && m_spare.isDetached())
        image = m_spare;
    else
        image = QImage(target, QImage::Format_RGB32);
    m_spare = QImage();
    if (image.isNull() || !m_converter.convert(frame, image))
        return;
    ++m_converted;
    TvPlayFrameTimes times{};
    times.inputNs = inputNs;
    times.decodedNs = decodedNs;
    times.convertedNs = steadyNowNs();
    times.width = frame->width;
    times.height = frame->height;
    times.outWidth = target.width();
    times.outHeight = target.height();
    m_spare = m_slot.publish(image, times);
}
