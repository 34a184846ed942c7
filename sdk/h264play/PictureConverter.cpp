#include "PictureConverter.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace {
constexpr int kThreads = 2;

// The image owns the pixels; swscale only borrows them for one call.
void keepPixels(void *, std::uint8_t *) {}
} // namespace

PictureConverter::~PictureConverter()
{
    sws_freeContext(m_sws);
}

bool PictureConverter::prepare(const AVFrame *frame, QSize target)
{
    if (m_sws && frame->width == m_srcWidth && frame->height == m_srcHeight &&
        frame->format == m_srcFormat && target == m_target)
        return true;
    sws_freeContext(m_sws);
    m_sws = sws_alloc_context();
    if (!m_sws)
        return false;
    // Only the frame-based entry point splits the work across threads,
    // and only a context set up through its options takes a thread count.
    av_opt_set_int(m_sws, "srcw", frame->width, 0);
    av_opt_set_int(m_sws, "srch", frame->height, 0);
    av_opt_set_int(m_sws, "src_format", frame->format, 0);
    av_opt_set_int(m_sws, "dstw", target.width(), 0);
    av_opt_set_int(m_sws, "dsth", target.height(), 0);
    av_opt_set_int(m_sws, "dst_format", AV_PIX_FMT_RGB32, 0);
    av_opt_set_int(m_sws, "sws_flags", SWS_BILINEAR, 0);
    av_opt_set_int(m_sws, "threads", kThreads, 0);
    if (sws_init_context(m_sws, nullptr, nullptr) < 0) {
        sws_freeContext(m_sws);
        m_sws = nullptr;
        return false;
    }
    m_srcWidth = frame->width;
    m_srcHeight = frame->height;
    m_srcFormat = frame->format;
    m_target = target;
    return true;
}

bool PictureConverter::convert(const AVFrame *frame, QImage &image)
{
    if (image.format() != QImage::Format_RGB32 || !prepare(frame, image.size()))
        return false;
    AVFrame *out = av_frame_alloc();
    if (!out)
        return false;
    out->format = AV_PIX_FMT_RGB32;
    out->width = image.width();
    out->height = image.height();
    out->data[0] = image.bits();
    out->linesize[0] = int(image.bytesPerLine());
    out->buf[0] = av_buffer_create(image.bits(), int(image.sizeInBytes()), keepPixels, nullptr, 0);
    const bool done = out->buf[0] && sws_scale_frame(m_sws, out, frame) >= 0;
    av_frame_free(&out);
    return done;
}
