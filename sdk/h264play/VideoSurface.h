#pragma once
// The child widget the library draws into: it fills the client's video
// frame, follows its size, lets every mouse event through to the frame,
// and paints the newest decoded picture stretched over its whole area.
// GUI thread only.

#include <QWidget>

class FrameSlot;

class VideoSurface : public QWidget
{
public:
    VideoSurface(QWidget *frame, FrameSlot *slot);
    ~VideoSurface() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    FrameSlot *m_slot;
};
