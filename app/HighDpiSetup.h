#pragma once
// How the program scales for dense displays; decided before the application
// object exists. Sizes in the program and its skin are for a display at
// 100 %. Windows scales each monitor by its own setting. On X11 only the
// desktop's setting counts, Xft.dpi or QT_SCALE_FACTOR: the toolkit would
// otherwise take the X server's physical DPI, and at 100 dpi scale every
// 1-pixel line and pixmap of the skin by 1.04, blurred.

#include <QByteArray>

class HighDpiSetup
{
public:
    static void apply();
    // The Xft.dpi entry of an X resource database, 0 when it has none.
    static int xftDpi(const QByteArray &resources);

private:
    // The desktop's DPI setting, 0 when there is none.
    static int desktopDpi();
};
