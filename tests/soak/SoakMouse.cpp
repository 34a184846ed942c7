#include "SoakMouse.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

SoakMouse::SoakMouse(QWidget *target, quint32 seed) : m_target(target), m_rng(seed) {}

void SoakMouse::step()
{
    const int w = m_target->width(), h = m_target->height();
    m_at = QPoint(m_rng.bounded(w), m_rng.bounded(h));
    const int roll = m_rng.bounded(100);
    static const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
    if (m_held != Qt::NoButton && roll < 30) {
        const Qt::MouseButton b = m_held;
        m_held = Qt::NoButton;
        send(QEvent::MouseButtonRelease, b, Qt::NoButton);
    } else if (m_held == Qt::NoButton && roll < 25) {
        m_held = buttons[m_rng.bounded(3)];
        send(QEvent::MouseButtonPress, m_held, m_held);
    } else if (m_held == Qt::NoButton && roll < 30) {
        const Qt::MouseButton b = buttons[m_rng.bounded(2)];
        send(QEvent::MouseButtonPress, b, b);
        send(QEvent::MouseButtonRelease, b, Qt::NoButton);
        send(QEvent::MouseButtonDblClick, b, b);
        send(QEvent::MouseButtonRelease, b, Qt::NoButton);
    } else if (roll < 40) {
        wheel();
    } else {
        send(QEvent::MouseMove, Qt::NoButton, m_held);
    }
}

void SoakMouse::send(int type, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(QEvent::Type(type), m_at, m_target->mapToGlobal(m_at), button, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(m_target, &event);
    ++m_events;
}

void SoakMouse::wheel()
{
    const int delta = m_rng.bounded(2) ? 120 : -120;
    QWheelEvent event(QPointF(m_at), QPointF(m_target->mapToGlobal(m_at)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(m_target, &event);
    ++m_events;
}
