#pragma once
// Reads the "OPRemoteCtrl" command the client sends. The client's format is
// exact, so the reader is strict and a malformed command is refused whole:
//
//  - a JSON object with exactly the members msg, P1 and P2, all strings,
//    no duplicates; trailing zero bytes after the text are ignored;
//  - every number is "0x" and lower-case hexadecimal digits;
//  - msg: one of 0x20006 .. 0x2000d, no leading zeros;
//  - P1: wheel "0xffff0000" or "0x10000"; move "0", "0x1" or "0x2";
//    left-button messages "0x1", right-button messages "0x2";
//  - P2: x then y, each either 4 to 8 digits (a value above 0xffff carries
//    no leading zero, and it must fit a signed 32-bit int) or 16 digits, the
//    64-bit two's complement of a negative 32-bit value.
//
// Values wider than 4 digits make the split of P2 ambiguous in rare cases
// ("0x123450001" is 0x12345,0x0001 or 0x1234,0x50001). The split whose
// larger coordinate is closer to zero wins, since the client sends far-off
// values only while a drag leaves its picture; a tie is refused.

#include "RemoteCtrlEvent.h"

#include <string>

class RemoteCtrlParser
{
public:
    // Checks one "OPRemoteCtrl" JSON text against the command format and
    // decodes it. False and a readable error for a malformed one; event is
    // then left unchanged.
    static bool parse(const std::string &json, RemoteCtrlEvent &event, std::string &error);
};
