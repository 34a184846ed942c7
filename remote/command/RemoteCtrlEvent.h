#pragma once
// One decoded remote mouse command, in the recorder's display pixels.

#include "RemoteCtrlTypes.h"

#include <cstdint>

struct RemoteCtrlEvent
{
    // One of the ZT_MSG_TYPE values.
    uint32_t msgType;
    // Button events: a Key_Map_Type. Moves: the held button, or
    // RemoteCtrlNoButton. Wheel: the raw direction word, RemoteCtrlWheelUp or
    // RemoteCtrlWheelDown.
    uint32_t button;
    // May lie outside the display while a drag leaves the client's picture.
    int32_t x;
    int32_t y;
};
