#pragma once
// Button codes and message types of a mouse event over the picture. The
// numbers are part of the remote-control wire format: the recorder receives
// them as hexadecimal text, so they must never be renumbered.
//
// Neither enumeration is registered with the meta-type system, so a signal
// carrying them can only be delivered over a direct, same-thread connection.

enum Key_Map_Type
{
    Key_Map_LeftButton = 1,
    Key_Map_RightButton = 2,
};

enum ZT_MSG_TYPE
{
    ZT_MSG_MOUSE_MOVE = 0x20006,
    ZT_MSG_MOUSE_WHEEL = 0x20007,
    ZT_MSG_LBUTTON_DOWN = 0x20008,
    ZT_MSG_LBUTTON_UP = 0x20009,
    ZT_MSG_LBUTTON_DBLCLK = 0x2000a,
    ZT_MSG_RBUTTON_DOWN = 0x2000b,
    ZT_MSG_RBUTTON_UP = 0x2000c,
    ZT_MSG_RBUTTON_DBLCLK = 0x2000d,
};
