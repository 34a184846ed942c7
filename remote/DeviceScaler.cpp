#include "DeviceScaler.h"

#include <cmath>
#include <limits>

std::optional<QPoint> DeviceScaler::toDevice(QPoint framePoint, QSize frameSize, QSize deviceSize)
{
    if (frameSize.width() <= 0 || frameSize.height() <= 0 || deviceSize.width() <= 0 ||
        deviceSize.height() <= 0)
        return std::nullopt;
    return QPoint(scaleAxis(framePoint.x(), frameSize.width(), deviceSize.width()),
                  scaleAxis(framePoint.y(), frameSize.height(), deviceSize.height()));
}

int DeviceScaler::scaleAxis(int nValue, int nFrameExtent, int nDeviceExtent)
{
    const double scaled = std::trunc(static_cast<double>(nValue) / nFrameExtent * nDeviceExtent);
    // A pointer dragged very far off a tiny frame can exceed int; converting
    // such a double is undefined, so it saturates instead.
    constexpr double kMax = std::numeric_limits<int>::max();
    constexpr double kMin = std::numeric_limits<int>::min();
    if (scaled >= kMax)
        return std::numeric_limits<int>::max();
    if (scaled <= kMin)
        return std::numeric_limits<int>::min();
    return static_cast<int>(scaled);
}
