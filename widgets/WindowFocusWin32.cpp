#include "WindowFocus.h"

// Windows hands the keyboard to the window that activateWindow names.
void WindowFocus::setInputFocus(QWidget *) {}
