#pragma once
// One decoded remote mouse command, in the recorder's display pixels.

#include <cstdint>

struct RemoteCtrlEvent
{
    // One of the RemoteCtrlMsg values.
    uint32_t msgType;
    // Button events: 1 (left) or 2 (right). Moves: the held button, 0 for
    // none. Wheel: the raw direction word, RemoteCtrlWheelUp or
    // RemoteCtrlWheelDown.
    uint32_t button;
    // May lie outside the display while a drag leaves the client's picture.
    int32_t x;
    int32_t y;
};

enum RemoteCtrlMsg : uint32_t
{
    RemoteCtrlMove = 0x20006,
    RemoteCtrlWheel = 0x20007,
    RemoteCtrlLeftDown = 0x20008,
    RemoteCtrlLeftUp = 0x20009,
    RemoteCtrlLeftDouble = 0x2000a,
    RemoteCtrlRightDown = 0x2000b,
    RemoteCtrlRightUp = 0x2000c,
    RemoteCtrlRightDouble = 0x2000d,
};

enum RemoteCtrlButton : uint32_t
{
    RemoteCtrlNoButton = 0,
    RemoteCtrlLeftButton = 1,
    RemoteCtrlRightButton = 2,
};

// The wheel's direction word: turned away from the user (scroll up) or
// toward the user (scroll down).
constexpr uint32_t RemoteCtrlWheelUp = 0xffff0000u;
constexpr uint32_t RemoteCtrlWheelDown = 0x10000u;
