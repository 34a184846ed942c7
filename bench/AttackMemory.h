#pragma once
// Clients that play but never read: N logged-in clients, each from its own
// address, start the display's stream and leave every byte unread. The
// simulator's resident memory (VmRSS sampled every second, VmHWM at the
// end) and the kernel's TCP socket memory (/proc/net/sockstat: both ends of
// every loopback connection) against the same before the clients came,
// until the simulator's memory has not grown for a while. With the
// fixed-rate stream the simulator drops nothing until 8 MiB wait for a
// client, so the queues fill in about a minute and a half.

#include <json/value.h>

#include <QString>

class AttackMemory
{
public:
    static constexpr int kMaxSeconds = 150;
    static constexpr int kMinSeconds = 40;
    static constexpr int kSteadySeconds = 15; // no growth for this long ends it
    // --max-connections is raised to `clients` when over the default.
    static bool run(int clients, bool fixedRate, Json::Value &figures, QString &error);

private:
    struct Peak
    {
        double rssMb = 0;
        double kernelMb = 0;
        int seconds = 0;
    };
    // Samples every second until the simulator's memory stops growing.
    static Peak watch(qint64 pid, const Peak &base);
    // The "mem" of the TCP line of /proc/net/sockstat, in MiB.
    static double kernelTcpMb();
};
