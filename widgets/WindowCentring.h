#pragma once
// Places a top-level window wholly inside the available area of the screen
// that holds it: a window larger than that area, its minimum size included,
// shrinks to fit, so that its title bar can always be reached. A second
// monitor does not start at (0, 0), so the screen's own origin is part of
// the place.

#include <QPoint>

class QRect;
class QSize;
class QWidget;

class WindowCentring
{
public:
    // Fits the window and centres it.
    static void centre(QWidget *window);
    // Fits the window and moves it no further than it must.
    static void keepOnScreen(QWidget *window);
    // The centred place, never left of or above the screen's origin.
    static QPoint centredIn(const QRect &screen, const QSize &window);
    // The place nearest to the window's own that keeps it on the screen.
    static QPoint clampedInto(const QRect &screen, const QRect &window);

private:
    static bool fit(QWidget *window, QRect &area);
};
