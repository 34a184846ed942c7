#pragma once
// The one-pixel light frame both frameless windows draw just inside their
// edge, in their own coordinates so a maximised window still shows it.

class QWidget;

class WindowBorder
{
public:
    static void paint(QWidget *window);
};
