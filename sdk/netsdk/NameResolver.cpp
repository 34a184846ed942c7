#include "NameResolver.h"

#include "NetSdkCodes.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <sys/socket.h>
#endif

#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace netsdk {

namespace {

// What the caller and the look-up thread share; whichever ends last frees it.
struct Lookup
{
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    int result = ErrConnectFailed;
    std::vector<NameResolver::Address> addresses;
};

int lookUp(const std::string &host, const std::string &port, int flags,
           std::vector<NameResolver::Address> &addresses)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = flags;
    addrinfo *list = nullptr;
    if (::getaddrinfo(host.c_str(), port.c_str(), &hints, &list) != 0 || !list)
        return ErrConnectFailed;
    for (const addrinfo *ai = list; ai; ai = ai->ai_next) {
        const auto *raw = reinterpret_cast<const std::uint8_t *>(ai->ai_addr);
        addresses.push_back(NameResolver::Address{
            ai->ai_family, ai->ai_socktype, ai->ai_protocol, {raw, raw + ai->ai_addrlen}});
    }
    ::freeaddrinfo(list);
    return 0;
}

} // namespace

int NameResolver::resolve(const std::string &host, std::uint16_t port, Clock::time_point deadline,
                          std::vector<Address> &addresses)
{
    addresses.clear();
    const std::string service = std::to_string(port);
    if (lookUp(host, service, AI_NUMERICHOST, addresses) == 0)
        return 0;
    auto shared = std::make_shared<Lookup>();
    try {
        std::thread([shared, host, service] {
            std::vector<Address> found;
            const int r = lookUp(host, service, 0, found);
            std::lock_guard<std::mutex> lock(shared->mutex);
            shared->result = r;
            shared->addresses.swap(found);
            shared->finished = true;
            shared->done.notify_all();
        }).detach();
    } catch (const std::system_error &) {
        return ErrConnectFailed;
    }
    std::unique_lock<std::mutex> lock(shared->mutex);
    if (!shared->done.wait_until(lock, deadline, [&] { return shared->finished; }))
        return ErrTimeOut;
    addresses.swap(shared->addresses);
    return shared->result;
}

} // namespace netsdk
