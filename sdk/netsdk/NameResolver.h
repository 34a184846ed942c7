#pragma once
// Turns a host name into addresses by a deadline. The system's look-up
// cannot be cancelled and may take far longer than any connect wait, so
// names run on a helper thread that the caller stops waiting for at the
// deadline; the thread finishes on its own and then lets go of what it
// shares with the caller. Numeric addresses are converted at once.

#include "SocketPlatform.h"

#include <cstdint>
#include <string>
#include <vector>

namespace netsdk {

class NameResolver
{
public:
    // One address a socket can be opened for and connected to.
    struct Address
    {
        int family = 0;
        int socketType = 0;
        int protocol = 0;
        std::vector<std::uint8_t> sockaddr; // the system's socket address, as it gave it
    };

    // 0 with at least one address, ErrConnectFailed when the name has none,
    // ErrTimeOut when the look-up had not ended by the deadline.
    static int resolve(const std::string &host, std::uint16_t port, Clock::time_point deadline,
                       std::vector<Address> &addresses);
};

} // namespace netsdk
