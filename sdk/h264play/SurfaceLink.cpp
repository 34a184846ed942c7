#include "SurfaceLink.h"

#include "VideoSurface.h"

SurfaceLink::SurfaceLink(QWidget *frame, FrameSlot *slot) : m_surface(new VideoSurface(frame, slot))
{
}

SurfaceLink::~SurfaceLink()
{
    delete m_surface.data();
}

void SurfaceLink::requestUpdate()
{
    if (!m_pending.exchange(true))
        QMetaObject::invokeMethod(this, &SurfaceLink::deliver, Qt::QueuedConnection);
}

void SurfaceLink::deliver()
{
    m_pending = false;
    if (m_surface)
        m_surface->update();
}
