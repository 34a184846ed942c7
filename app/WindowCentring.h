#pragma once
// Places a top-level window in the middle of the screen that holds it,
// measured from (0, 0): the screen's own offset is not added, as both of
// the program's windows have always done.

class QWidget;

class WindowCentring
{
public:
    static void centre(QWidget *window);
};
