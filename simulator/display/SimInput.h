#pragma once
// How the simulated interface reacts to the remote mouse, hit-tested in
// display pixels. Buttons act when the left button comes up over the control
// it went down on; tiles are selected as soon as it goes down. A right click
// opens the context menu, or closes whatever menu is open. The wheel scrolls
// the main menu's list, or steps through channels (one view) or groups.

#include "RemoteCtrlEvent.h"
#include "SimUiState.h"

#include <QSize>

class SimInput
{
public:
    static void apply(SimUiState &state, QSize size, const RemoteCtrlEvent &event);

private:
    static void leftDown(SimUiState &state, int hit);
    static void leftUp(SimUiState &state, int hit);
    static void leftDouble(SimUiState &state, int hit);
    static void rightUp(SimUiState &state, QPoint at);
    static void wheel(SimUiState &state, QSize size, bool up);
    static void activate(SimUiState &state, int id);
    static void contextItem(SimUiState &state, int item);
    static void setView(SimUiState &state, int count);
    static void stepGroup(SimUiState &state, int direction);
    static void scrollList(SimUiState &state, QSize size, int rows);
};
