#pragma once
// Where everything of the simulated interface sits for a given display size
// and state. Painting and hit-testing both use it, so what the remote mouse
// hits is exactly what is drawn. All sizes scale with the display height.

#include "SimUiState.h"

#include <QRect>
#include <QSize>

#include <vector>

class SimLayout
{
public:
    // Control ids: a base plus an index.
    enum Id
    {
        None = -1,
        StatusMenu = 1,
        StatusPrev = 2,
        StatusNext = 3,
        StatusView = 10,    // + 0..3 for 1, 4, 9, 16 views
        Tile = 100,         // + channel
        ContextItem = 200,  // + item
        MenuBackdrop = 300, // the main menu panel itself
        MenuClose = 301,
        MenuCategory = 310, // + category
        MenuRow = 400,      // + row index in the list
    };

    struct Control
    {
        int id;
        QRect rect;
    };

    SimLayout(QSize size, const SimUiState &state);

    // The topmost control at a display pixel, None for none.
    int hit(QPoint p) const;
    static int viewChoices(int index) { return index == 0 ? 1 : (index + 1) * (index + 1); }

    QSize size;
    double unit; // display height / 1080
    QRect liveArea;
    QRect statusBar;
    std::vector<Control> statusButtons;
    std::vector<Control> tiles; // id Tile + channel
    QRect contextMenu;
    std::vector<Control> contextItems;
    QRect menuPanel, menuTitle, menuClose, menuPage, menuHeader, menuList, menuScrollBar;
    std::vector<Control> menuCategories;
    std::vector<Control> menuRows; // visible rows only, id MenuRow + row index
    int visibleRows = 0;

    int px(double v) const { return static_cast<int>(v * unit + 0.5); }

private:
    void layoutStatusBar();
    void layoutTiles(const SimUiState &state);
    void layoutContextMenu(const SimUiState &state);
    void layoutMainMenu(const SimUiState &state);

    SimUiState::Overlay m_overlay;
};
