#include "CVideoFrame.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

CVideoFrame::CVideoFrame(QWidget *parent)
    : QFrame(parent), ptLast(0, 0), nLastButton(Key_Map_LeftButton)
{
    setObjectName("CPlayWnd");
    // Moves must arrive with no button held, so the recorder's pointer
    // follows the local one while hovering.
    setMouseTracking(true);
}

void CVideoFrame::slot_BufferChanged(unsigned long, int, int, int) {}

void CVideoFrame::paintEvent(QPaintEvent *)
{
    // Not even a border: anything drawn here would be painted over the
    // picture the play SDK renders into the native window.
    QPainter painter(this);
    painter.end();
}

// In the frame's device pixels: on a scaled display (150 %) a logical pixel
// is coarser than the screen's, and a click must reach the recorder where
// the user sees it, to the pixel.
QPoint CVideoFrame::framePosition(const QMouseEvent *event) const
{
    const QPointF local = event->screenPos() - QPointF(mapToGlobal(QPoint(0, 0)));
    const qreal ratio = devicePixelRatioF();
    return QPoint(qRound(local.x() * ratio), qRound(local.y() * ratio));
}

bool CVideoFrame::reportButton(QMouseEvent *event, ZT_MSG_TYPE nLeftType, ZT_MSG_TYPE nRightType)
{
    // The position is recorded before the button is looked at, so that a
    // later wheel turn reports where the pointer was last clicked, whatever
    // the button.
    ptLast = framePosition(event);
    if (event->button() == Qt::LeftButton) {
        nLastButton = Key_Map_LeftButton;
        emit mouseEventSignal(Key_Map_LeftButton, nLeftType, 0, ptLast);
        return true;
    }
    if (event->button() == Qt::RightButton) {
        nLastButton = Key_Map_RightButton;
        emit mouseEventSignal(Key_Map_RightButton, nRightType, 0, ptLast);
        return true;
    }
    return false;
}

void CVideoFrame::mousePressEvent(QMouseEvent *event)
{
    if (!reportButton(event, ZT_MSG_LBUTTON_DOWN, ZT_MSG_RBUTTON_DOWN))
        QFrame::mousePressEvent(event);
}

void CVideoFrame::mouseReleaseEvent(QMouseEvent *event)
{
    if (!reportButton(event, ZT_MSG_LBUTTON_UP, ZT_MSG_RBUTTON_UP))
        QFrame::mouseReleaseEvent(event);
}

void CVideoFrame::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (!reportButton(event, ZT_MSG_LBUTTON_DBLCLK, ZT_MSG_RBUTTON_DBLCLK))
        QFrame::mousePressEvent(event);
}

void CVideoFrame::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = framePosition(event);
    if (pos == ptLast)
        return;
    ptLast = pos;
    emit mouseEventSignal(static_cast<Key_Map_Type>(nLastButton), ZT_MSG_MOUSE_MOVE, 0, ptLast);
}

void CVideoFrame::wheelEvent(QWheelEvent *event)
{
    // Only the direction counts: one event is one step on the recorder,
    // however far a high-resolution wheel or touchpad turned. The dominant
    // axis decides, as the classic single-delta wheel event did.
    const QPoint angle = event->angleDelta();
    const int nDelta = qAbs(angle.x()) > qAbs(angle.y()) ? angle.x() : angle.y();
    emit mouseEventSignal(Key_Map_LeftButton, ZT_MSG_MOUSE_WHEEL, nDelta > 0 ? 1 : -1, ptLast);
    // Handled here: an ignored wheel event would travel on to the parents.
    event->accept();
}
