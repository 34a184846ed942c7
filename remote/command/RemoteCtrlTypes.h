#pragma once
// Button codes, message types and wheel words of the "OPRemoteCtrl" command.
// The client writes them and the recorder reads them as hexadecimal text,
// so they must never be renumbered; the client's encoder, the simulator's
// reader and the benchmarks all take them from here.
//
// Neither enumeration is registered with the meta-type system, so a signal
// carrying them can only be delivered over a direct, same-thread connection.

#include <cstdint>

enum Key_Map_Type : int
{
    Key_Map_LeftButton = 1,
    Key_Map_RightButton = 2,
};

enum ZT_MSG_TYPE : int
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

// P1 of a move while no button is held.
constexpr std::uint32_t RemoteCtrlNoButton = 0;
// P1 of a wheel turn: away from the user (scroll up) or toward the user
// (scroll down).
constexpr std::uint32_t RemoteCtrlWheelUp = 0xffff0000u;
constexpr std::uint32_t RemoteCtrlWheelDown = 0x10000u;
