#pragma once
// CPU time and resident memory of a process, from /proc.

#include <QtGlobal>

class ProcessUsage
{
public:
    // User plus system CPU seconds of the process (0 = this one).
    static double cpuSeconds(qint64 pid = 0);
    // Resident set size in MiB.
    static double residentMb(qint64 pid = 0);
};
