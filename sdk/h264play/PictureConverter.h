#pragma once
// Converts a decoded picture to an RGB32 image of any size with swscale,
// split across two threads so that a 1080p picture takes about half as
// long to reach the screen. Used by the conversion thread only.

#include <QImage>

struct AVFrame;
struct SwsContext;

class PictureConverter
{
public:
    PictureConverter() = default;
    ~PictureConverter();
    PictureConverter(const PictureConverter &) = delete;
    PictureConverter &operator=(const PictureConverter &) = delete;

    // Fills image (RGB32, its own size) from frame. False when swscale
    // cannot convert that picture to that size.
    bool convert(const AVFrame *frame, QImage &image);

private:
    bool prepare(const AVFrame *frame, QSize target);

    SwsContext *m_sws = nullptr;
    int m_srcWidth = 0, m_srcHeight = 0, m_srcFormat = -1;
    QSize m_target;
};
