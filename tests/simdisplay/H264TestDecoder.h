#pragma once
// Decodes the simulator's access units back into pictures, and lists their
// NAL unit types, so tests can check what a real decoder will make of them.

#include <QImage>

#include <cstdint>
#include <vector>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

class H264TestDecoder
{
public:
    H264TestDecoder();
    ~H264TestDecoder();
    H264TestDecoder(const H264TestDecoder &) = delete;
    H264TestDecoder &operator=(const H264TestDecoder &) = delete;

    // One whole access unit in, its picture out (RGB32), null when it gave none.
    QImage decode(const uint8_t *data, size_t size);
    QImage decode(const std::vector<uint8_t> &unit) { return decode(unit.data(), unit.size()); }

    static std::vector<int> nalTypes(const uint8_t *data, size_t size);
    static std::vector<int> nalTypes(const std::vector<uint8_t> &unit)
    {
        return nalTypes(unit.data(), unit.size());
    }
    static bool endsWithAud(const uint8_t *data, size_t size);
    // Mean absolute difference per channel within a rectangle (whole picture if null).
    static double meanDifference(const QImage &a, const QImage &b, QRect area = QRect());

private:
    AVCodecContext *m_ctx = nullptr;
    AVFrame *m_frame = nullptr;
    AVPacket *m_packet = nullptr;
};
