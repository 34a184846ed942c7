// link-emulator --to PORT [--listen ADDR:PORT] [--link RATE/DELAY] [--queue BYTES]
//               [--idle SECONDS]
// Relays loopback connections to 127.0.0.1:PORT through an emulated slow
// path, closing those silent both ways for SECONDS (default 60, 0 never);
// prints "listening ADDR:PORT" once ready and runs until its standard
// input closes or it is told to stop (SIGINT, SIGTERM).
#include "LinkEmulator.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
int usage()
{
    std::fprintf(stderr, "usage: link-emulator --to PORT [--listen ADDR:PORT] "
                         "[--link unlimited|RATE[/DELAYms]] [--queue BYTES] [--idle SECONDS]\n"
                         "  RATE in bits per second with k or M, e.g. --link 1.5M/40\n"
                         "  --idle closes connections silent both ways that long "
                         "(default 60, 0 never)\n");
    return 2;
}

bool toNumber(const char *text, long min, long max, long &value)
{
    char *end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 10);
    return errno == 0 && end != text && *end == 0 && value >= min && value <= max;
}
} // namespace

int main(int argc, char *argv[])
{
    LinkShape shape;
    std::string listenHost = "127.0.0.1";
    long listenPort = 0, target = -1, number = 0;
    long idleSeconds = LinkEmulator::kDefaultIdleTimeoutMs / 1000;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i], value = argv[i + 1];
        if (name == "--to" && toNumber(argv[i + 1], 1, 65535, number)) {
            target = number;
        } else if (name == "--link" && LinkShape::parse(value, shape)) {
        } else if (name == "--queue" && toNumber(argv[i + 1], 1448, 64 << 20, number)) {
            shape.queueBytes = int(number);
        } else if (name == "--idle" && toNumber(argv[i + 1], 0, 86400, number)) {
            idleSeconds = number;
        } else if (name == "--listen" && value.rfind(':') != std::string::npos &&
                   toNumber(value.c_str() + value.rfind(':') + 1, 0, 65535, listenPort)) {
            listenHost = value.substr(0, value.rfind(':'));
        } else {
            return usage();
        }
    }
    if (target < 0 || argc % 2 == 0)
        return usage();
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr); // the relays' threads inherit the mask
    LinkEmulator link(shape, int(idleSeconds * 1000));
    std::string error;
    if (!link.start(std::uint16_t(target), error, "127.0.0.1", listenHost,
                    std::uint16_t(listenPort))) {
        std::fprintf(stderr, "link-emulator: %s\n", error.c_str());
        return 1;
    }
    std::printf("listening %s:%u\n", listenHost.c_str(), unsigned(link.port()));
    std::fflush(stdout);
    std::fprintf(stderr, "link-emulator: %s, queue %d bytes, idle time-out %ld s\n",
                 shape.label().c_str(), shape.queueBytes, idleSeconds);
    // Waits for the end of standard input or a stop signal, whichever first.
    for (;;) {
        pollfd in{STDIN_FILENO, POLLIN, 0};
        const timespec tick{0, 200000000};
        siginfo_t info;
        if (sigtimedwait(&stopSignals, &info, &tick) > 0)
            break;
        char buffer[256];
        if (::poll(&in, 1, 0) == 1 && ::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            break;
    }
    link.stop();
    std::fprintf(stderr, "link-emulator: %lld bytes down, %lld up\n",
                 static_cast<long long>(link.downstream().bytesOut.load()),
                 static_cast<long long>(link.upstream().bytesOut.load()));
    return 0;
}
