#pragma once
// Random mouse input over the video frame, as a restless user would make it:
// moves, presses and releases of all three buttons, double-clicks and wheel
// turns, one event per call. GUI thread only.

#include <QPoint>
#include <QRandomGenerator>

class QWidget;

class SoakMouse
{
public:
    SoakMouse(QWidget *target, quint32 seed);
    void step();
    qint64 events() const { return m_events; }

private:
    void send(int type, Qt::MouseButton button, Qt::MouseButtons held);
    void wheel();

    QWidget *m_target;
    QRandomGenerator m_rng;
    QPoint m_at;
    Qt::MouseButton m_held = Qt::NoButton;
    qint64 m_events = 0;
};
