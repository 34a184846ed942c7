#include "FakeResolver.h"

#include "NameResolver.h"

#include <dlfcn.h>
#include <netdb.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace {

using GetAddrInfo = int (*)(const char *, const char *, const addrinfo *, addrinfo **);

struct Names
{
    std::mutex mutex;
    std::condition_variable released;
    FakeResolver::Behaviour behaviour = FakeResolver::Answer;
    int slowMs = 0;
    std::uint64_t releases = 0;
    std::map<std::string, int> running; // look-ups in progress, by name
    int total = 0;
};

Names &names()
{
    static Names *n = new Names; // look-ups may outlive the fuzzer's exit
    return *n;
}

bool isFake(const char *node, const addrinfo *hints)
{
    const std::size_t length = node ? std::strlen(node) : 0;
    return length > 5 && std::strcmp(node + length - 5, ".fuzz") == 0 &&
           !(hints && (hints->ai_flags & AI_NUMERICHOST));
}

// The look-up's behaviour, counted in while it runs.
FakeResolver::Behaviour enter(const std::string &name, int &slowMs, std::uint64_t &releases)
{
    Names &n = names();
    std::lock_guard<std::mutex> lock(n.mutex);
    if (++n.running[name] > 1) {
        std::fprintf(stderr, "fuzz_netsdksession: %s looked up twice at once\n", name.c_str());
        std::abort();
    }
    if (++n.total > int(netsdk::NameResolver::kMaxRunning)) {
        std::fprintf(stderr, "fuzz_netsdksession: %d look-ups at once\n", n.total);
        std::abort();
    }
    slowMs = n.slowMs;
    releases = n.releases;
    return n.behaviour;
}

void leave(const std::string &name)
{
    Names &n = names();
    std::lock_guard<std::mutex> lock(n.mutex);
    if (--n.running[name] == 0)
        n.running.erase(name);
    --n.total;
}

void wait(FakeResolver::Behaviour behaviour, int slowMs, std::uint64_t releases)
{
    Names &n = names();
    if (behaviour == FakeResolver::Slow)
        std::this_thread::sleep_for(std::chrono::milliseconds(slowMs));
    if (behaviour != FakeResolver::Held)
        return;
    std::unique_lock<std::mutex> lock(n.mutex);
    n.released.wait_for(lock, std::chrono::seconds(5), [&] { return n.releases != releases; });
}

} // namespace

void FakeResolver::set(Behaviour behaviour, int slowMs)
{
    Names &n = names();
    std::lock_guard<std::mutex> lock(n.mutex);
    n.behaviour = behaviour;
    n.slowMs = slowMs;
}

void FakeResolver::release()
{
    Names &n = names();
    std::lock_guard<std::mutex> lock(n.mutex);
    ++n.releases;
    n.released.notify_all();
}

extern "C" int getaddrinfo(const char *node, const char *service, const addrinfo *hints,
                           addrinfo **res)
{
    static const auto real = reinterpret_cast<GetAddrInfo>(dlsym(RTLD_NEXT, "getaddrinfo"));
    if (!isFake(node, hints))
        return real(node, service, hints, res);
    const std::string name = node;
    int slowMs = 0;
    std::uint64_t releases = 0;
    const FakeResolver::Behaviour behaviour = enter(name, slowMs, releases);
    wait(behaviour, slowMs, releases);
    leave(name);
    if (behaviour == FakeResolver::NoSuchName)
        return EAI_NONAME;
    addrinfo numeric = hints ? *hints : addrinfo{};
    numeric.ai_flags |= AI_NUMERICHOST;
    return real("127.0.0.1", service, &numeric, res);
}
