#pragma once
// Starts a fresh instance of the program, detached, with the executable's
// path in double quotes and no arguments. Tests replace the start itself.

#include <QString>
#include <functional>

class Relauncher
{
public:
    static constexpr int kRestartCode = 1111;

    using Starter = std::function<bool(const QString &command)>;

    // Starts the new instance when exitCode is the restart code; returns
    // whether one was started.
    static bool relaunchIfRequested(int exitCode);
    static bool relaunch();
    static QString command();

    static void setStarter(Starter starter);
};
