#pragma once
// Encodes one "OPRemoteCtrl" document: a JSON object of three text members
// (msg, P1, P2) in the styled writer's layout, which is what the recorder
// parses. Pure functions of their arguments; callable from any thread.
//
// The caller sends the returned text with its size() as the length, i.e.
// without the terminating zero.

#include <cstdint>
#include <string>

class RemoteCtrlCommand
{
public:
    // A press, release, double-click or wheel turn at device position (x, y).
    // P1 comes from nWheel for ZT_MSG_MOUSE_WHEEL, else from keyType.
    static std::string eventCommand(int keyType, int nType, int nWheel, int x, int y);
    // The move the timer sends; nHeldButton 0 means no button is held.
    static std::string moveCommand(int nHeldButton, int x, int y);

    // The serialised document (members sorted, three-space indent, newline).
    static std::string document(const std::string &msg, const std::string &p1,
                                const std::string &p2);

    // "0x" and the value in lower-case hexadecimal, no leading zeros.
    static std::string hexValue(std::uint32_t value);
    // One coordinate of P2, without "0x": at least 4 digits, or 16 digits of
    // 64-bit two's complement when negative.
    static std::string hexCoordinate(int value);
    // P2: "0x", then x, then y.
    static std::string hexPosition(int x, int y);
    // P1 of a wheel turn: away from the user (> 0) or toward it.
    static std::string wheelParam(int nWheel);
    // P1 of a move: the held button, or a bare "0" when none is held.
    static std::string heldButtonParam(int nHeldButton);
};
