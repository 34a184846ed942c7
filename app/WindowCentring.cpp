#include "WindowCentring.h"

#include <QApplication>
#include <QDesktopWidget>
#include <QScreen>
#include <QWidget>

void WindowCentring::centre(QWidget *window)
{
    const int nScreen = QApplication::desktop()->screenNumber(window);
    QScreen *screen = QGuiApplication::screens().value(nScreen, QGuiApplication::primaryScreen());
    if (!screen)
        return;
    window->move(centredIn(screen->geometry(), window->size()));
}

QPoint WindowCentring::centredIn(const QRect &screen, const QSize &window)
{
    return screen.topLeft() +
           QPoint((screen.width() - window.width()) / 2, (screen.height() - window.height()) / 2);
}
