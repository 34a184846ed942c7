#include "WindowCentring.h"

#include <QApplication>
#include <QDesktopWidget>
#include <QScreen>
#include <QWidget>

bool WindowCentring::fit(QWidget *window, QRect &area)
{
    const int nScreen = QApplication::desktop()->screenNumber(window);
    QScreen *screen = QGuiApplication::screens().value(nScreen, QGuiApplication::primaryScreen());
    if (!screen)
        return false;
    area = screen->availableGeometry();
    const QSize minimum = window->minimumSize().boundedTo(area.size());
    if (minimum != window->minimumSize())
        window->setMinimumSize(minimum);
    const QSize size = window->size().boundedTo(area.size());
    if (size != window->size())
        window->resize(size);
    return true;
}

void WindowCentring::centre(QWidget *window)
{
    QRect area;
    if (fit(window, area))
        window->move(centredIn(area, window->size()));
}

void WindowCentring::keepOnScreen(QWidget *window)
{
    QRect area;
    if (fit(window, area))
        window->move(clampedInto(area, window->geometry()));
}

QPoint WindowCentring::centredIn(const QRect &screen, const QSize &window)
{
    const QPoint place = screen.topLeft() + QPoint((screen.width() - window.width()) / 2,
                                                   (screen.height() - window.height()) / 2);
    return QPoint(qMax(place.x(), screen.left()), qMax(place.y(), screen.top()));
}

QPoint WindowCentring::clampedInto(const QRect &screen, const QRect &window)
{
    const int nX = qMin(window.x(), screen.x() + screen.width() - window.width());
    const int nY = qMin(window.y(), screen.y() + screen.height() - window.height());
    return QPoint(qMax(nX, screen.left()), qMax(nY, screen.top()));
}
