#pragma once
// Maps a frame-local position onto the recorder's display. The quotient is
// taken first, in double precision, and the product truncated toward zero;
// positions outside the frame are not clamped, so a drag past an edge keeps
// moving the recorder's pointer (negative coordinates included).

#include <optional>

#include <QPoint>
#include <QSize>

class DeviceScaler
{
public:
    // Empty when the frame or the device resolution has no positive width
    // and height, i.e. when there is nothing sensible to scale to.
    static std::optional<QPoint> toDevice(QPoint framePoint, QSize frameSize, QSize deviceSize);
    // One axis; nFrameExtent and nDeviceExtent must be greater than 0.
    static int scaleAxis(int nValue, int nFrameExtent, int nDeviceExtent);
};
