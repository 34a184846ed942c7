#pragma once
// Draws the whole simulated display for one state: the live view (tiles
// with their on-screen texts), the status bar, the menus and the pointer.
// Owns the font and the camera scenes it keeps between frames; used by one
// thread at a time.

#include "SimFont.h"
#include "SimLayout.h"
#include "SimMenuPainter.h"
#include "SimTilePainter.h"

#include <QDateTime>
#include <QImage>

class SimPainter
{
public:
    SimPainter();
    // image must be Format_RGB32 at the display's size.
    void paint(QImage &image, const SimUiState &state, const QDateTime &clock, qint64 animMs);

private:
    void paintTile(QPainter &p, const SimLayout &l, const SimLayout::Control &tile,
                   const SimUiState &state, const QDateTime &clock, qint64 animMs);
    void paintNoVideo(QPainter &p, const QRect &r, int fontSize);
    void paintStatusBar(QPainter &p, const SimLayout &l, const SimUiState &state,
                        const QDateTime &clock);
    void paintStatusButton(QPainter &p, const SimLayout &l, const SimLayout::Control &c,
                           const SimUiState &state);
    void paintStatusInfo(QPainter &p, const SimLayout &l, const QDateTime &clock);
    static void paintCursor(QPainter &p, const SimLayout &l, QPoint at);

    SimFont m_font;
    SimTilePainter m_tiles;
    SimMenuPainter m_menus;
};
