#pragma once
// Kills the child processes it watches when the bench is ended by a signal
// (SIGINT, SIGTERM, SIGHUP), so that a run cut short leaves no simulator
// behind. A normal exit stops them through their owners' destructors.

#include <QtGlobal>

class ExitGuard
{
public:
    static void install();
    static void watch(qint64 pid);
    static void forget(qint64 pid);

private:
    static void onSignal(int signal);
};
