#include "WindowFocus.h"

#include <QWidget>

void WindowFocus::takeKeyboard(QWidget *window)
{
    if (!window || !window->isVisible())
        return;
    window->activateWindow();
    setInputFocus(window);
}
