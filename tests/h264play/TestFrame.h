#pragma once
// Stands in for the client's video frame: a black native widget that
// counts the mouse presses it receives.

#include <QWidget>

class TestFrame : public QWidget
{
public:
    explicit TestFrame(const QSize &size);
    int presses() const { return m_presses; }
    // Waits until the frame is exposed and has a native handle.
    bool showAndWait();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    int m_presses = 0;
};
