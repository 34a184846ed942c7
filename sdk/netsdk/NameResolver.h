#pragma once
// Turns a host name into addresses by a deadline. The system's look-up
// cannot be cancelled and may take far longer than any connect wait, so
// names are looked up on helper threads that the caller stops waiting for
// at the deadline. A name already being looked up is waited for again, not
// looked up twice, so the tries of one login share one helper; and at most
// kMaxRunning helpers run at once, so names that hang cannot pile threads
// up. Numeric addresses are converted at once.
//
// Threads: resolve() and drain() on any thread. A helper touches only what
// it shares with the resolver by reference count (Shared), never the SDK's
// state, so one that clean-up stopped waiting for may finish after that
// state is gone; once a helper has started, the library stays loaded
// (ModulePin) so that its code does too. The resolver owns the helpers'
// std::thread objects: finished ones are joined by the next resolve() or
// drain(), unfinished ones detached by drain().

#include "SocketPlatform.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace netsdk {

class NameResolver
{
public:
    static constexpr std::size_t kMaxRunning = 4;

    // One address a socket can be opened for and connected to.
    struct Address
    {
        int family = 0;
        int socketType = 0;
        int protocol = 0;
        std::vector<std::uint8_t> sockaddr; // the system's socket address, as it gave it
    };

    static NameResolver &instance();
    ~NameResolver();
    NameResolver(const NameResolver &) = delete;
    NameResolver &operator=(const NameResolver &) = delete;

    // 0 with at least one address, ErrConnectFailed when the name has none
    // or no helper could be started, ErrTimeOut when the look-up, or a free
    // place for it, had not come by the deadline.
    int resolve(const std::string &host, std::uint16_t port, Clock::time_point deadline,
                std::vector<Address> &addresses);
    // Waits until no look-up runs or the deadline passes, then lets go of
    // the helpers still running. True when none was left running.
    bool drain(Clock::time_point deadline);

private:
    struct Lookup;
    struct Shared;
    struct Helper
    {
        std::thread thread;
        std::shared_ptr<Lookup> lookup;
    };

    NameResolver();
    // The running look-up of host and service, joined or started.
    int lookUpOnHelper(const std::string &host, const std::string &service,
                       Clock::time_point deadline, std::shared_ptr<Lookup> &lookup);
    int startHelper(const std::string &host, const std::string &service,
                    std::shared_ptr<Lookup> &lookup); // with m_shared->mutex held
    void joinFinished();

    std::shared_ptr<Shared> m_shared;
    std::vector<Helper> m_helpers; // guarded by m_shared->mutex
};

} // namespace netsdk
