#pragma once
// CPU time and resident memory of a process, from /proc.

#include <QString>

class ProcessUsage
{
public:
    // User plus system CPU seconds of the process (0 = this one).
    static double cpuSeconds(qint64 pid = 0);
    // The same for the first of its threads with that name; -1 for none.
    static double threadCpuSeconds(qint64 pid, const QString &name);
    // Resident set size in MiB.
    static double residentMb(qint64 pid = 0);
    // A memory field of /proc/<pid>/status in MiB ("VmHWM", "VmRSS"); 0 if absent.
    static double statusMb(qint64 pid, const char *field);
};
