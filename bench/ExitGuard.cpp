#include "ExitGuard.h"

#include <atomic>
#include <csignal>
#include <unistd.h>

namespace {
// A fixed table: the handler may touch nothing but lock-free atomics.
constexpr int kSlots = 16;
std::atomic<qint64> watched[kSlots];
} // namespace

void ExitGuard::install()
{
    struct sigaction action = {};
    action.sa_handler = &ExitGuard::onSignal;
    sigemptyset(&action.sa_mask);
    for (const int s : {SIGINT, SIGTERM, SIGHUP})
        sigaction(s, &action, nullptr);
}

void ExitGuard::watch(qint64 pid)
{
    for (auto &slot : watched) {
        qint64 free = 0;
        if (slot.compare_exchange_strong(free, pid))
            return;
    }
}

void ExitGuard::forget(qint64 pid)
{
    for (auto &slot : watched) {
        qint64 mine = pid;
        slot.compare_exchange_strong(mine, 0);
    }
}

void ExitGuard::onSignal(int signal)
{
    for (auto &slot : watched) {
        const qint64 pid = slot.load();
        if (pid > 0)
            ::kill(pid_t(pid), SIGKILL);
    }
    _exit(128 + signal);
}
