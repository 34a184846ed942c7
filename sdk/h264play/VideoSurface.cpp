#include "VideoSurface.h"

#include "FrameSlot.h"
#include "SteadyClock.h"

#include <QEvent>
#include <QPainter>

VideoSurface::VideoSurface(QWidget *frame, FrameSlot *slot) : QWidget(frame), m_slot(slot)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(frame->rect());
    frame->installEventFilter(this);
    m_slot->setTargetSize(size() * devicePixelRatioF());
    show();
}

VideoSurface::~VideoSurface()
{
    m_slot->setTargetSize(QSize());
}

bool VideoSurface::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return false;
}

void VideoSurface::resizeEvent(QResizeEvent *)
{
    m_slot->setTargetSize(size() * devicePixelRatioF());
}

void VideoSurface::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    FrameSlot::Frame frame;
    if (!m_slot->latest(frame)) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    // A picture converted before the last resize is stretched to fit until
    // the next one arrives at the new size.
    painter.drawImage(rect(), frame.image);
    painter.end();
    m_slot->notePainted(frame, steadyNowNs());
}
