// Writes pictures of the simulated display in its main states as PNG files,
// for looking at the design: sim-display-shot [directory] [width] [height]

#include "SimScreen.h"

#include <QDir>

#include <cstdio>
#include <cstdlib>

namespace {

void click(SimScreen &s, uint32_t down, uint32_t up, uint32_t button, int x, int y)
{
    s.apply({ZT_MSG_MOUSE_MOVE, button, x, y});
    s.apply({down, button, x, y});
    s.apply({up, button, x, y});
}

} // namespace

int main(int argc, char **argv)
{
    const QString dir = argc > 1 ? argv[1] : ".";
    const int w = argc > 2 ? std::atoi(argv[2]) : 1920;
    const int h = argc > 3 ? std::atoi(argv[3]) : 1080;
    QDir().mkpath(dir);
    SimScreen screen(QSize(w, h));
    const QDateTime clock(QDate(2026, 12, 8), QTime(14, 17, 3));
    QImage image;
    auto shot = [&](const char *name) {
        screen.render(image, clock, 2400);
        image.save(dir + "/" + name + ".png");
        std::printf("%s/%s.png\n", qPrintable(dir), name);
    };
    screen.apply({ZT_MSG_MOUSE_MOVE, 0, w * 3 / 4, h / 3});
    shot("live4");
    click(screen, ZT_MSG_RBUTTON_DOWN, ZT_MSG_RBUTTON_UP, Key_Map_RightButton, w / 3, h / 3);
    screen.apply({ZT_MSG_MOUSE_MOVE, 0, w / 3 + 60, h / 3 + 100});
    shot("context");
    click(screen, ZT_MSG_LBUTTON_DOWN, ZT_MSG_LBUTTON_UP, 1, w / 3 + 60, h / 3 + 200);
    shot("live9");
    click(screen, ZT_MSG_LBUTTON_DOWN, ZT_MSG_LBUTTON_UP, 1, 60, h - 24);
    click(screen, ZT_MSG_LBUTTON_DOWN, ZT_MSG_LBUTTON_UP, 1, w / 2 - 400, h / 2 - 40);
    screen.apply({ZT_MSG_MOUSE_WHEEL, RemoteCtrlWheelDown, w / 2, h / 2});
    screen.apply({ZT_MSG_MOUSE_MOVE, 0, w / 2 + 100, h / 2});
    shot("menu");
    return 0;
}
