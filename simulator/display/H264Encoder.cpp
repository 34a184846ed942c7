#include "H264Encoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <future>
#include <mutex>

namespace {
// What "no limit" means to the VBV, which must be on from the start to be
// changed later: far above what the quality needs, within the levels.
constexpr int64_t kUnlimitedRate = 50000000;
} // namespace

H264Encoder::H264Encoder(int width, int height, int fps, RateControl rate, int64_t maxRate)
    : m_width(width), m_height(height), m_rateControl(rate)
{
    setMaxRate(maxRate);
    m_limited = m_maxRate > 0;
    if (!open(fps)) {
        avcodec_free_context(&m_ctx);
        m_ctx = nullptr;
    }
}

H264Encoder::~H264Encoder()
{
    close();
}

void H264Encoder::close()
{
    for (SwsContext *&sws : m_sws) {
        sws_freeContext(sws);
        sws = nullptr;
    }
    av_packet_free(&m_packet);
    av_frame_free(&m_frame);
    avcodec_free_context(&m_ctx);
}

bool H264Encoder::open(int fps)
{
    m_fps = std::max(1, fps);
    // libx264 reports its settings on every open; keep only warnings and worse.
    static std::once_flag quiet;
    std::call_once(quiet, [] {
        if (av_log_get_level() == AV_LOG_INFO)
            av_log_set_level(AV_LOG_WARNING);
    });
    const AVCodec *codec = avcodec_find_encoder_by_name("libx264");
    if (!codec) {
        m_error = "libavcodec has no libx264 encoder";
        return false;
    }
    m_ctx = avcodec_alloc_context3(codec);
    m_ctx->width = m_width;
    m_ctx->height = m_height;
    m_ctx->pix_fmt = AV_PIX_FMT_YUV420P;
    // Pictures are made when something changes as well as on the cadence,
    // so time stamps are in milliseconds rather than frame counts.
    m_ctx->time_base = AVRational{1, 1000};
    m_ctx->framerate = AVRational{fps, 1};
    // Unlimited: refresh goes by time, not by count (see encode()):
    // pictures come on input as well as on the cadence, so a count would
    // mean anything. Limited: the sweep is counted in pictures, as x264 does.
    m_ctx->gop_size = m_limited ? fps * kSweepSeconds : 1 << 30;
    m_ctx->max_b_frames = 0;
    m_ctx->thread_count = 2;
    m_ctx->colorspace = AVCOL_SPC_SMPTE170M;
    m_ctx->color_range = AVCOL_RANGE_MPEG;
    av_opt_set(m_ctx->priv_data, "preset", "ultrafast", 0);
    av_opt_set(m_ctx->priv_data, "tune", "zerolatency", 0);
    av_opt_set(m_ctx->priv_data, "crf", "23", 0);
    // A forced key frame is an IDR, so a viewer can start on it.
    av_opt_set(m_ctx->priv_data, "forced-idr", "1", 0);
    if (m_limited) {
        av_opt_set(m_ctx->priv_data, "intra-refresh", "1", 0);
        applyRate();
    }
    const int rc = avcodec_open2(m_ctx, codec, nullptr);
    if (rc < 0) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(rc, text, sizeof text);
        m_error = std::string("cannot open libx264: ") + text;
        return false;
    }
    m_frame = av_frame_alloc();
    m_frame->format = AV_PIX_FMT_YUV420P;
    m_frame->width = m_width;
    m_frame->height = m_height;
    m_packet = av_packet_alloc();
    // Same size in and out, so no scaling filter is needed; point sampling
    // costs a third less than the bilinear path for this conversion. The
    // picture is converted as two bands at once, one context each.
    m_bandSplit = (m_height / 2) & ~1;
    const int rows[2] = {m_bandSplit, m_height - m_bandSplit};
    for (int i = 0; i < 2; ++i)
        m_sws[i] = sws_getContext(m_width, rows[i], AV_PIX_FMT_RGB32, m_width, rows[i],
                                  AV_PIX_FMT_YUV420P, SWS_POINT, nullptr, nullptr, nullptr);
    if (av_frame_get_buffer(m_frame, 0) < 0 || !m_sws[0] || !m_sws[1]) {
        m_error = "cannot allocate the picture buffers";
        return false;
    }
    return true;
}

void H264Encoder::setMaxRate(int64_t bitsPerSecond)
{
    if (m_rateControl == RateControl::Adaptive)
        m_maxRate = bitsPerSecond > 0 ? std::min(bitsPerSecond, kUnlimitedRate) : 0;
}

int64_t H264Encoder::vbvBits(int64_t bitsPerSecond, int fps)
{
    // x264 counts in kbit: a thousand bits more keeps the rounding from
    // making the buffer smaller than a picture.
    return (bitsPerSecond + fps - 1) / std::max(1, fps) + 1000;
}

// libavcodec hands a changed VBV to x264_encoder_reconfig before the next
// picture, so the rate follows the path without a new stream.
void H264Encoder::applyRate()
{
    const int64_t rate = m_maxRate > 0 ? m_maxRate : kUnlimitedRate;
    m_ctx->rc_max_rate = rate;
    m_ctx->rc_buffer_size = int(vbvBits(rate, m_fps));
}

// The first limit: x264 takes intra refresh and a VBV only when it opens.
// The new stream starts with an IDR, already within the limit.
bool H264Encoder::becomeLimited()
{
    close();
    m_limited = true;
    m_lastKeyPts = -1;
    if (open(m_fps))
        return true;
    avcodec_free_context(&m_ctx);
    return false;
}

bool H264Encoder::hasIdr(const std::vector<uint8_t> &unit)
{
    // The first slice decides; only the headers before it are looked at.
    for (size_t i = 0; i + 3 < unit.size(); ++i) {
        if (unit[i] != 0 || unit[i + 1] != 0 || unit[i + 2] != 1)
            continue;
        const int type = unit[i + 3] & 0x1f;
        if (type >= 1 && type <= 5)
            return type == 5;
        i += 2;
    }
    return false;
}

void H264Encoder::convert(const QImage &image)
{
    auto band = [&](int i) {
        const int top = i == 0 ? 0 : m_bandSplit;
        const uint8_t *src[1] = {image.constScanLine(top)};
        const int stride[1] = {static_cast<int>(image.bytesPerLine())};
        uint8_t *dst[3];
        for (int p = 0; p < 3; ++p)
            dst[p] = m_frame->data[p] + m_frame->linesize[p] * (p == 0 ? top : top / 2);
        sws_scale(m_sws[i], src, stride, 0, i == 0 ? m_bandSplit : m_height - m_bandSplit, dst,
                  m_frame->linesize);
    };
    auto lower = std::async(std::launch::async, band, 1);
    band(0);
    lower.get();
}

bool H264Encoder::encode(const QImage &image, int64_t ptsMs, bool forceIdr,
                         std::vector<uint8_t> &out, bool &keyFrame)
{
    out.clear();
    keyFrame = false;
    if (!m_ctx || image.width() != m_width || image.height() != m_height ||
        image.format() != QImage::Format_RGB32)
        return false;
    if (m_maxRate > 0 && !m_limited && !becomeLimited())
        return false;
    if (av_frame_make_writable(m_frame) < 0)
        return false;
    convert(image);
    m_lastPts = std::max(ptsMs, m_lastPts + 1);
    m_frame->pts = m_lastPts;
    const bool refresh =
        m_lastKeyPts < 0 || (!m_limited && m_lastPts - m_lastKeyPts >= kRefreshSeconds * 1000);
    m_frame->pict_type = forceIdr || refresh ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
    if (m_limited)
        applyRate();
    if (avcodec_send_frame(m_ctx, m_frame) < 0)
        return false;
    while (avcodec_receive_packet(m_ctx, m_packet) == 0) {
        out.insert(out.end(), m_packet->data, m_packet->data + m_packet->size);
        av_packet_unref(m_packet);
    }
    if (out.empty())
        return false;
    // x264 flags the start of a refresh sweep as a key frame too.
    keyFrame = hasIdr(out);
    if (keyFrame)
        m_lastKeyPts = m_lastPts;
    out.insert(out.end(), std::begin(kAud), std::end(kAud));
    return true;
}
