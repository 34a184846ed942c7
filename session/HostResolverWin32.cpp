#ifdef _WIN32
#include "HostResolver.h"

#include <cstring>
#include <winsock2.h>

namespace {

// Started once, on first need, and never shut down: the device SDK may use
// the socket library for the rest of the process.
bool socketsStarted()
{
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

} // namespace

bool HostResolver::isDottedAddress(const char *text)
{
    return text && inet_addr(text) != INADDR_NONE;
}

bool HostResolver::resolveFirst(const char *name, char *out, std::size_t size)
{
    if (!name || !out || size == 0 || !socketsStarted())
        return false;
    const hostent *host = gethostbyname(name);
    if (!host || host->h_addrtype != AF_INET || host->h_length != sizeof(in_addr) ||
        !host->h_addr_list || !host->h_addr_list[0])
        return false;
    in_addr first;
    std::memcpy(&first, host->h_addr_list[0], sizeof first);
    const char *dotted = inet_ntoa(first);
    if (!dotted || std::strlen(dotted) >= size)
        return false;
    std::strcpy(out, dotted);
    return true;
}
#endif
