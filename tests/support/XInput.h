#pragma once
// Real input for tests that run on an X server (tv_add_xtest): keys and
// mouse clicks go through xdotool and the XTEST extension, so the window
// system decides which window and widget receive them, as it does for a
// user. Each call returns once xdotool has handed the input to the server;
// wait on the effect (QTRY_*) before checking it.

#include <QByteArray>
#include <QPoint>
#include <QString>
#include <QStringList>

class QWidget;

class XInput
{
public:
    // Key names as xdotool takes them: "Return", "KP_Enter", "space", "Tab".
    static bool key(const QString &name);
    static bool type(const QString &text);
    static bool clickAt(const QPoint &global);
    // Wheel notches with the pointer at that place: up when nNotches > 0.
    static bool wheelAt(const QPoint &global, int nNotches);
    // Moves the pointer there, without a click.
    static bool moveTo(const QPoint &global);
    // A click at the centre of the widget.
    static bool click(const QWidget *widget);
    // Makes the widget's window the one that takes keyboard input.
    static bool focusWindow(const QWidget *widget);

private:
    static bool run(const QStringList &args);
    static QByteArray output(const QStringList &args);
};
