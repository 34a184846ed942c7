#pragma once
// Draws the two menus of the simulated display: the right-click context
// menu and the main menu with its pages and scrolling list.

#include "SimFont.h"
#include "SimLayout.h"

class QPainter;

class SimMenuPainter
{
public:
    explicit SimMenuPainter(SimFont &font) : m_font(font) {}
    void paintContextMenu(QPainter &p, const SimLayout &l, const SimUiState &state);
    void paintMainMenu(QPainter &p, const SimLayout &l, const SimUiState &state);

private:
    void paintCategories(QPainter &p, const SimLayout &l, const SimUiState &state);
    void paintList(QPainter &p, const SimLayout &l, const SimUiState &state);
    void paintScrollBar(QPainter &p, const SimLayout &l, const SimUiState &state);
    void paintColumns(QPainter &p, const QRect &r, const QStringList &cells, int fs, QColor color,
                      bool bold);

    SimFont &m_font;
};
