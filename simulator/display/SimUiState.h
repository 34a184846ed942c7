#pragma once
// What the simulated recorder's interface shows at one moment. Written by
// SimInput, read by SimLayout and SimPainter; owned by SimScreen.

#include <QPoint>
#include <QString>

struct SimUiState
{
    enum class Overlay
    {
        None,
        ContextMenu,
        MainMenu,
    };

    static constexpr int kChannels = 16;

    int viewCount = 4;    // tiles in the live grid: 1, 4, 9 or 16
    int firstChannel = 0; // channel in the grid's first tile
    int selectedChannel = 0;
    int fullChannel = -1; // channel shown alone after a double-click, -1 for the grid
    Overlay overlay = Overlay::None;
    QPoint contextAt;      // where the context menu was asked for
    int hovered = -1;      // control under the cursor (SimLayout ids)
    int pressed = -1;      // control the left button went down on, until it comes up
    int menuCategory = 0;  // page of the main menu
    int listScroll = 0;    // first visible row of the main menu's list
    int listSelected = -1; // selected row of that list, -1 for none
    QPoint cursor;
    QString notice; // the status bar's last message
};
