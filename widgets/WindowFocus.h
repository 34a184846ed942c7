#pragma once
// Gives a window of the program the keyboard back, with or without a window
// manager. Asking the manager to activate it is not enough: when a focused
// box goes, a manager such as openbox falls back to its own window and then
// refuses the program's request as focus stealing, and the keys typed next
// reach nobody. On X11 the input focus is therefore also set directly, as
// ICCCM lets a client do for its own window.

class QWidget;

class WindowFocus
{
public:
    static void takeKeyboard(QWidget *window);
    // The X input focus alone, nothing on other platforms: also for a
    // window that a modal box still blocks, which may not be activated.
    static void setInputFocus(QWidget *window);
};
