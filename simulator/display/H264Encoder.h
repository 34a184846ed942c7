#pragma once
// H.264 for the simulated display, through libavcodec's libx264: one
// picture in, its whole access unit out, at once. No B-frames, zero-latency
// tuning (no lookahead, sliced threads instead of frame threads), so the
// encoder never holds a picture back.
//
// Two ways to keep decoders whole, by the rate control chosen:
//
// Fixed: constant quality, and an IDR frame (with SPS and PPS in front of
// it) when the last key frame is kRefreshSeconds old by the time stamps, so
// that a decoder that lost data recovers within that time.
//
// Adaptive: the fixed stream's quality and refresh until the caller first
// sets a rate (setMaxRate), so a path that carries everything gets exactly
// the fixed stream. From then on every picture fits the rate through a VBV
// of one picture, so that no single picture holds a slow path for longer
// than its share of one picture interval. Refresh is then periodic intra
// refresh (a column of intra blocks wanders across the picture, one sweep
// every kSweepSeconds of pictures at the nominal rate) instead of IDRs,
// which would burst; an IDR only when the caller forces one. x264 takes
// intra refresh only when it opens, so the first limit reopens it, and its
// first picture is an IDR within the limit. The sweep costs bits in every
// picture (at 1920x1080 a 2 s sweep made the stream a tenth larger than
// with IDRs, a 4 s one a fifth smaller); viewers that lose data get an IDR
// on request, so the sweep is only the last resort.
//
// Either way the caller can force an IDR at any picture, for a viewer that
// joins or a decoder that asks. `keyFrame` means an IDR in both: the start
// of a refresh sweep also carries SPS and PPS but cannot start a decoder.
//
// Every access unit handed out ends with an access unit delimiter, so that a
// decoder knows the picture is complete as soon as its last byte arrives
// instead of waiting for the start of the next one.
//
// Not thread-safe; used by the stream's thread only.

#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

class H264Encoder
{
public:
    static constexpr int kRefreshSeconds = 2;
    static constexpr int kSweepSeconds = 4; // adaptive: one intra-refresh sweep
    enum class RateControl
    {
        Fixed,
        Adaptive
    };
    // The VBV of a limited stream: one picture at the rate, and a little
    // more, since x264 refuses less than one picture's worth.
    static int64_t vbvBits(int64_t bitsPerSecond, int fps);
    static constexpr uint8_t kAud[6] = {0x00, 0x00, 0x00, 0x01, 0x09, 0xf0};

    // width and height must be even.
    // maxRate: as setMaxRate(), from the first picture on; an adaptive
    // encoder given one opens limited at once.
    H264Encoder(int width, int height, int fps, RateControl rate = RateControl::Fixed,
                int64_t maxRate = 0);
    ~H264Encoder();
    H264Encoder(const H264Encoder &) = delete;
    H264Encoder &operator=(const H264Encoder &) = delete;

    bool isOpen() const { return m_ctx != nullptr; }
    const std::string &error() const { return m_error; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    // Adaptive only: the most the stream may carry in bits per second from
    // the next picture on; 0 takes the quality's own rate.
    void setMaxRate(int64_t bitsPerSecond);
    // Adaptive only: a rate has been set at some time, so the stream
    // refreshes by intra refresh and keeps a VBV.
    bool limited() const { return m_limited; }

    // image: Format_RGB32 at the encoder's size. ptsMs must grow. Fills out
    // with the access unit (ending with the delimiter); false when encoding
    // failed or gave no unit for this picture.
    bool encode(const QImage &image, int64_t ptsMs, bool forceIdr, std::vector<uint8_t> &out,
                bool &keyFrame);

private:
    bool open(int fps);
    void close();
    bool becomeLimited();
    void applyRate();
    void convert(const QImage &image);
    static bool hasIdr(const std::vector<uint8_t> &unit);

    int m_width;
    int m_height;
    const RateControl m_rateControl;
    int m_fps = 25;
    int64_t m_maxRate = 0;
    bool m_limited = false;
    int64_t m_lastPts = -1;
    int64_t m_lastKeyPts = -1;
    AVCodecContext *m_ctx = nullptr;
    AVFrame *m_frame = nullptr;
    AVPacket *m_packet = nullptr;
    SwsContext *m_sws[2] = {nullptr, nullptr}; // upper and lower band
    int m_bandSplit = 0;
    std::string m_error;
};
