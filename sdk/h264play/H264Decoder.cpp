#include "H264Decoder.h"

#include "SteadyClock.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {
// The largest picture taken: 8K on its longer side, and no more pixels than
// 8K UHD has. Each picture is held several times over (reference frames,
// the conversion stage), so a stream that asked for more could make the
// process allocate gigabytes.
constexpr long kMaxSide = 8192;
constexpr long kMaxPixels = 8192L * 4320L;
// The parser holds an access unit's bytes until the next unit starts, so a
// stream without start codes would grow it without limit. No picture up to
// 4K needs more: PCM macroblocks, the largest coding, take 384 bytes each at
// 4:2:0 and 8 bits, and 4096x2304 has 36,864 of them (14.2 MB).
constexpr std::size_t kMaxUnitBytes = std::size_t(16) << 20;
} // namespace

H264Decoder::H264Decoder(FrameSlot &slot) : m_sequence(kMaxSide, kMaxPixels), m_stage(slot) {}

H264Decoder::~H264Decoder()
{
    m_stage.finish();
    av_parser_close(m_parser);
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
    avcodec_free_context(&m_codec);
}

bool H264Decoder::open()
{
    m_parser = av_parser_init(AV_CODEC_ID_H264);
    m_packet = av_packet_alloc();
    m_frame = av_frame_alloc();
    if (!m_parser || !m_packet || !m_frame)
        return false;
    return openCodec() && m_stage.start();
}

bool H264Decoder::openCodec()
{
    const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_H264);
    if (!codec)
        return false;
    m_codec = avcodec_alloc_context3(codec);
    if (!m_codec)
        return false;
    m_codec->flags |= AV_CODEC_FLAG_LOW_DELAY;
    m_codec->thread_type = FF_THREAD_SLICE;
    m_codec->thread_count = 0;
    // A backstop for sets SequenceWatch could not read: libavcodec then
    // refuses the picture buffer itself.
    m_codec->max_pixels = kMaxPixels;
    if (avcodec_open2(m_codec, codec, nullptr) == 0)
        return true;
    avcodec_free_context(&m_codec);
    return false;
}

void H264Decoder::startSequence(std::int64_t inputNs)
{
    if (avcodec_send_packet(m_codec, nullptr) == 0)
        receive(inputNs);
    avcodec_free_context(&m_codec);
    openCodec();
}

void H264Decoder::restart()
{
    resetParser();
    if (m_codec)
        avcodec_flush_buffers(m_codec);
}

void H264Decoder::resetParser()
{
    av_parser_close(m_parser);
    m_parser = av_parser_init(AV_CODEC_ID_H264);
    m_unitBytes = 0;
}

void H264Decoder::feed(const std::uint8_t *data, std::size_t length, std::int64_t inputNs)
{
    m_input.assign(data, data + length);
    m_input.resize(length + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    const std::uint8_t *p = m_input.data();
    int left = int(length);
    while (left > 0 && m_parser && m_codec) {
        std::uint8_t *unit = nullptr;
        int unitSize = 0;
        const int used = av_parser_parse2(m_parser, m_codec, &unit, &unitSize, p, left,
                                          AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
        if (used < 0) {
            restart();
            return;
        }
        p += used;
        left -= used;
        m_unitBytes += std::size_t(used);
        if (unitSize > 0) {
            m_unitBytes = 0;
            decode(unit, unitSize, inputNs);
        } else if (m_unitBytes > kMaxUnitBytes) {
            m_overlongBytes += std::int64_t(m_unitBytes);
            resetParser();
        }
    }
}

void H264Decoder::decode(const std::uint8_t *data, int size, std::int64_t inputNs)
{
    switch (m_sequence.judge(data, std::size_t(size), inputNs)) {
    case SequenceGate::Verdict::Drop:
        ++m_unitsDropped;
        return;
    case SequenceGate::Verdict::Rebuild:
        startSequence(inputNs);
        break;
    case SequenceGate::Verdict::Decode:
        break;
    }
    if (!m_codec)
        return;
    // The parser's output is not reference counted, so sending it copies it
    // into a padded buffer of the decoder's own.
    m_packet->data = const_cast<std::uint8_t *>(data);
    m_packet->size = size;
    const int sent = avcodec_send_packet(m_codec, m_packet);
    av_packet_unref(m_packet);
    if (sent < 0 && sent != AVERROR(EAGAIN))
        return; // damaged unit: the decoder resynchronises on the next one
    receive(inputNs);
}

void H264Decoder::receive(std::int64_t inputNs)
{
    while (avcodec_receive_frame(m_codec, m_frame) == 0) {
        if (m_frame->width > kMaxSide || m_frame->height > kMaxSide) {
            av_frame_unref(m_frame);
            continue;
        }
        const std::int64_t decodedNs = steadyNowNs();
        ++m_framesDecoded;
        m_width = m_frame->width;
        m_height = m_frame->height;
        m_stage.submit(m_frame, inputNs, decodedNs);
    }
}
