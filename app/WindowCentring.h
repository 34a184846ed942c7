#pragma once
// Places a top-level window in the middle of the screen that holds it. A
// second monitor does not start at (0, 0), so the screen's own origin is
// part of the place.

#include <QPoint>

class QRect;
class QSize;
class QWidget;

class WindowCentring
{
public:
    static void centre(QWidget *window);
    static QPoint centredIn(const QRect &screen, const QSize &window);
};
