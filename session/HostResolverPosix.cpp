#ifndef _WIN32
#include "HostResolver.h"

#include <arpa/inet.h>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>

bool HostResolver::isDottedAddress(const char *text)
{
    return inet_addr(text) != INADDR_NONE;
}

bool HostResolver::resolveFirst(const char *name, char *out, std::size_t size)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (getaddrinfo(name, nullptr, &hints, &found) != 0 || !found)
        return false;
    char dotted[INET_ADDRSTRLEN] = {};
    const auto *address = reinterpret_cast<const sockaddr_in *>(found->ai_addr);
    const bool ok = inet_ntop(AF_INET, &address->sin_addr, dotted, sizeof dotted) != nullptr &&
                    std::strlen(dotted) < size;
    if (ok)
        std::strcpy(out, dotted);
    freeaddrinfo(found);
    return ok;
}
#endif
