#include "NameResolver.h"

#include "ModulePin.h"
#include "NetSdkCodes.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <sys/socket.h>
#endif

#include <algorithm>
#include <condition_variable>
#include <iterator>
#include <mutex>
#include <system_error>

namespace netsdk {

struct NameResolver::Lookup
{
    std::string host, service; // set before the helper starts, then only read
    bool finished = false;
    int result = ErrConnectFailed;
    std::vector<Address> addresses;
};

// What the resolver and its helpers share; whichever lets go last frees it.
struct NameResolver::Shared
{
    std::mutex mutex;
    std::condition_variable changed; // a look-up finished
    std::vector<std::shared_ptr<Lookup>> running;
};

namespace {

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

NameResolver &NameResolver::instance()
{
    static NameResolver resolver;
    return resolver;
}

NameResolver::NameResolver() : m_shared(std::make_shared<Shared>()) {}

NameResolver::~NameResolver()
{
    // The process is ending: nobody waits for a look-up any more.
    for (Helper &h : m_helpers)
        h.thread.detach();
}

int NameResolver::resolve(const std::string &host, std::uint16_t port, Clock::time_point deadline,
                          std::vector<Address> &addresses)
{
    addresses.clear();
    const std::string service = std::to_string(port);
    if (lookUp(host, service, AI_NUMERICHOST, addresses) == 0)
        return 0;
    // A helper may outlive every wait for it, and a user of the library may
    // unload it meanwhile: its code must stay mapped until the helper
    // returns.
    static const bool pinned = pinThisModule();
    static_cast<void>(pinned);
    joinFinished();
    std::shared_ptr<Lookup> lookup;
    const int started = lookUpOnHelper(host, service, deadline, lookup);
    if (started != 0)
        return started;
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    if (!m_shared->changed.wait_until(lock, deadline, [&] { return lookup->finished; }))
        return ErrTimeOut;
    addresses = lookup->addresses; // other tries waiting for it take them too
    return lookup->result;
}

int NameResolver::lookUpOnHelper(const std::string &host, const std::string &service,
                                 Clock::time_point deadline, std::shared_ptr<Lookup> &lookup)
{
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    for (;;) {
        const auto &running = m_shared->running;
        const auto same = std::find_if(running.begin(), running.end(), [&](const auto &l) {
            return l->host == host && l->service == service;
        });
        if (same != running.end()) {
            lookup = *same;
            return 0;
        }
        if (running.size() < kMaxRunning)
            return startHelper(host, service, lookup);
        if (m_shared->changed.wait_until(lock, deadline) == std::cv_status::timeout)
            return ErrTimeOut;
    }
}

int NameResolver::startHelper(const std::string &host, const std::string &service,
                              std::shared_ptr<Lookup> &lookup)
{
    lookup = std::make_shared<Lookup>();
    lookup->host = host;
    lookup->service = service;
    try {
        std::thread thread([shared = m_shared, lookup] {
            std::vector<Address> found;
            const int r = lookUp(lookup->host, lookup->service, 0, found);
            std::lock_guard<std::mutex> lock(shared->mutex);
            lookup->result = r;
            lookup->addresses.swap(found);
            lookup->finished = true;
            auto &running = shared->running;
            running.erase(std::find(running.begin(), running.end(), lookup));
            shared->changed.notify_all();
        });
        m_helpers.push_back(Helper{std::move(thread), lookup});
    } catch (const std::system_error &) {
        return ErrConnectFailed;
    }
    m_shared->running.push_back(lookup);
    return 0;
}

void NameResolver::joinFinished()
{
    std::vector<Helper> finished;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        const auto split =
            std::stable_partition(m_helpers.begin(), m_helpers.end(),
                                  [](const Helper &h) { return !h.lookup->finished; });
        std::move(split, m_helpers.end(), std::back_inserter(finished));
        m_helpers.erase(split, m_helpers.end());
    }
    // Quick: a finished helper only has its return left.
    for (Helper &h : finished)
        h.thread.join();
}

bool NameResolver::drain(Clock::time_point deadline)
{
    std::vector<Helper> helpers;
    {
        std::unique_lock<std::mutex> lock(m_shared->mutex);
        m_shared->changed.wait_until(lock, deadline, [&] { return m_shared->running.empty(); });
    }
    joinFinished();
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        helpers.swap(m_helpers);
    }
    // Still in the system's look-up: they hold only what they share.
    for (Helper &h : helpers)
        h.thread.detach();
    return helpers.empty();
}

} // namespace netsdk
