#pragma once
// Runs the application's own event loop until the code under test ends it,
// as the program's main would see it. The application's loop clears the
// exit request it ends with, which a nested loop would leave pending for
// the next one. Gives -99 when nothing ended it within the time.

class RunLoop
{
public:
    static constexpr int kTimedOut = -99;
    static int untilExit(int timeoutMs);
};
