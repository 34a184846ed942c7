#pragma once
// Ties a port to the video surface it draws into. Lives on the GUI thread:
// created by the play call, deleted by stop on the GUI thread after the
// decoder thread has been joined, which also discards any repaint request
// still queued for it (so no code of the port runs after release).

#include <QObject>
#include <QPointer>

#include <atomic>

class FrameSlot;
class QWidget;
class VideoSurface;

class SurfaceLink : public QObject
{
public:
    SurfaceLink(QWidget *frame, FrameSlot *slot);
    ~SurfaceLink() override;

    // Any thread. Repaint requests coalesce into one queued call until the
    // GUI thread has taken it.
    void requestUpdate();

private:
    void deliver();

    QPointer<VideoSurface> m_surface; // owned by the frame widget, deleted by us
    std::atomic<bool> m_pending{false};
};
