#pragma once
// The simulated recorder's display: its interface state, how the remote
// mouse changes it, and its picture. Not thread-safe: SimDisplayStream
// drives it from its own thread only.

#include "RemoteCtrlEvent.h"
#include "SimPainter.h"
#include "SimUiState.h"

#include <QDateTime>
#include <QImage>
#include <QSize>

class SimScreen
{
public:
    explicit SimScreen(QSize size);

    QSize size() const { return m_size; }
    void resize(QSize size);
    void apply(const RemoteCtrlEvent &event);
    // Draws the display into image (made Format_RGB32 at the display size if
    // it is not). The same state, clock and animMs give the same picture.
    void render(QImage &image, const QDateTime &clock, qint64 animMs);
    const SimUiState &state() const { return m_state; }

private:
    QSize m_size;
    SimUiState m_state;
    SimPainter m_painter;
};
