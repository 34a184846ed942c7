#pragma once
// Turns the P2P server setting into the dotted IPv4 text the device SDK
// wants. No Qt here: the Windows build of this boundary is checked without it.

#include <cstddef>

class HostResolver
{
public:
    // True when the text parses as a dotted IPv4 address (inet_addr does not
    // give the all-ones value).
    static bool isDottedAddress(const char *text);

    // Looks the name up and writes the dotted text of the first address into
    // out (zero-terminated, at most size - 1 characters). Starts the socket
    // library first where the platform has one to start. False leaves out
    // untouched.
    static bool resolveFirst(const char *name, char *out, std::size_t size);
};
