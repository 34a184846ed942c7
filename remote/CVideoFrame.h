#pragma once
// The surface the recorder's display is drawn on. The play SDK renders
// straight into this widget's native window, so the frame paints nothing of
// its own; its job is to turn mouse input over the picture into one signal,
// mouseEventSignal, in the frame's own pixels.
//
// Threads: GUI thread only. The signal is meant for a direct connection (its
// enumeration arguments cannot be queued), so the receiving slot runs inside
// the mouse handler, before it returns.

#include <QFrame>
#include <QPoint>

#include "RemoteCtrlTypes.h"

class QMouseEvent;

class CVideoFrame : public QFrame
{
    Q_OBJECT

public:
    explicit CVideoFrame(QWidget *parent = nullptr);

signals:
    // nWheel is 0 except for ZT_MSG_MOUSE_WHEEL (+1 away from the user, -1
    // otherwise); point is frame-local and not clipped to the frame.
    void mouseEventSignal(Key_Map_Type keyType, ZT_MSG_TYPE nType, int nWheel, QPoint point);

    // Kept for interface compatibility with other front ends of the same
    // frame; nothing here emits them.
    void setWndStatus(int nStatus);
    void sig_setVRFishType(int nType, int nMode, int nShape);
    void sig_setVRMountAndShapeType(int nMount, int nShape);
    void sig_vrMouseEventType(int nType, int nButton, int nX, int nY);

public slots:
    void slot_BufferChanged(unsigned long nSize, int nWidth, int nHeight, int nType);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    // Records the event's position, then emits for the left or right button
    // with the given message type; false for any other button.
    bool reportButton(QMouseEvent *event, ZT_MSG_TYPE nLeftType, ZT_MSG_TYPE nRightType);
    QPoint framePosition(const QMouseEvent *event) const;

    QPoint ptLast;
    int nLastButton;
};
