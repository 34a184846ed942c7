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
    const QRect area = screen->geometry();
    window->move((area.width() - window->width()) / 2, (area.height() - window->height()) / 2);
}
