#include "H264TestDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
}

#include <cstdlib>
#include <cstring>

H264TestDecoder::H264TestDecoder()
{
    const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_H264);
    m_ctx = avcodec_alloc_context3(codec);
    m_ctx->flags |= AV_CODEC_FLAG_LOW_DELAY;
    m_ctx->thread_count = 1;
    avcodec_open2(m_ctx, codec, nullptr);
    m_frame = av_frame_alloc();
    m_packet = av_packet_alloc();
}

H264TestDecoder::~H264TestDecoder()
{
    av_packet_free(&m_packet);
    av_frame_free(&m_frame);
    avcodec_free_context(&m_ctx);
}

QImage H264TestDecoder::decode(const uint8_t *data, size_t size)
{
    av_new_packet(m_packet, int(size));
    std::memcpy(m_packet->data, data, size);
    const int sent = avcodec_send_packet(m_ctx, m_packet);
    av_packet_unref(m_packet);
    if (sent < 0 || avcodec_receive_frame(m_ctx, m_frame) < 0)
        return QImage();
    QImage image(m_frame->width, m_frame->height, QImage::Format_RGB32);
    SwsContext *sws = sws_getContext(
        m_frame->width, m_frame->height, AVPixelFormat(m_frame->format), m_frame->width,
        m_frame->height, AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr);
    uint8_t *dst[1] = {image.bits()};
    const int stride[1] = {int(image.bytesPerLine())};
    sws_scale(sws, m_frame->data, m_frame->linesize, 0, m_frame->height, dst, stride);
    sws_freeContext(sws);
    av_frame_unref(m_frame);
    return image;
}

std::vector<int> H264TestDecoder::nalTypes(const uint8_t *data, size_t size)
{
    std::vector<int> types;
    for (size_t i = 0; i + 3 < size; ++i) {
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1) {
            types.push_back(data[i + 3] & 0x1f);
            i += 3;
        }
    }
    return types;
}

bool H264TestDecoder::endsWithAud(const uint8_t *data, size_t size)
{
    static const uint8_t aud[] = {0, 0, 0, 1, 9, 0xf0};
    return size >= sizeof aud && std::memcmp(data + size - sizeof aud, aud, sizeof aud) == 0;
}

double H264TestDecoder::meanDifference(const QImage &a, const QImage &b, QRect area)
{
    if (area.isNull())
        area = a.rect();
    double sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const QRgb *pa = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const QRgb *pb = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x)
            sum += std::abs(qRed(pa[x]) - qRed(pb[x])) + std::abs(qGreen(pa[x]) - qGreen(pb[x])) +
                   std::abs(qBlue(pa[x]) - qBlue(pb[x]));
    }
    return sum / (3.0 * area.width() * area.height());
}
