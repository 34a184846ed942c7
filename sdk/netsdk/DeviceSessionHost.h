#pragma once
// What a session needs of the SDK that opened it, and nothing more: a home
// for its thread when it ends itself from inside a callback, and the trace.
// The SDK owns its sessions; a session never reaches the SDK otherwise.

#include <string>
#include <thread>

namespace netsdk {

class DeviceSessionHost
{
public:
    virtual ~DeviceSessionHost() = default;
    // Takes a session thread that cannot join itself; joined at clean-up.
    virtual void adoptThread(std::thread &&thread) = 0;
    virtual void trace(const std::string &line) const = 0;
};

} // namespace netsdk
