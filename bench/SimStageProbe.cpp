#include "SimStageProbe.h"

#include "H264Encoder.h"
#include "RemoteCtrlEvent.h"
#include "Samples.h"
#include "SimScreen.h"

#include <QDateTime>
#include <QElapsedTimer>

#include <vector>

SimStageProbe::Result SimStageProbe::measure(QSize size, int fps, int pictures)
{
    SimScreen screen(size);
    H264Encoder encoder(size.width(), size.height(), fps);
    QImage image;
    std::vector<uint8_t> unit;
    Samples render, encode;
    QElapsedTimer clock;
    const int warmUp = 5;
    for (int i = 0; i < pictures + warmUp; ++i) {
        const int32_t x = (i * 397) % size.width(), y = (i * 211) % size.height();
        screen.apply(RemoteCtrlEvent{ZT_MSG_LBUTTON_DOWN, Key_Map_LeftButton, x, y});
        screen.apply(RemoteCtrlEvent{ZT_MSG_LBUTTON_UP, Key_Map_LeftButton, x, y});
        const qint64 ptsMs = qint64(i) * 1000 / fps;
        clock.start();
        screen.render(image, QDateTime::currentDateTime(), ptsMs);
        const double renderMs = double(clock.nsecsElapsed()) / 1e6;
        clock.start();
        bool key = false;
        encoder.encode(image, ptsMs, false, unit, key);
        const double encodeMs = double(clock.nsecsElapsed()) / 1e6;
        if (i >= warmUp) {
            render.add(renderMs);
            encode.add(encodeMs);
        }
    }
    return Result{render.median(), encode.median()};
}
