#pragma once
// Takes a successful login to a playing main window, as start-up does it:
// the window takes over the open session, shows itself and starts the live
// stream. Start-up, the tests and the benchmarks all go through here, so the
// steps keep their order everywhere.
//
// The window must have been built before the login: its constructor
// initialises the device SDK that the login runs on. GUI thread only.

#include <functional>

class CTelvane;
struct LoginResult;

class SessionHandOff
{
public:
    // Runs between showing the window and starting the stream; a test sizes
    // the picture there. False stops the hand-off before the stream.
    using Prepare = std::function<bool(CTelvane &window)>;

    // True when the stream started. A failed start ends the run the way the
    // window handles it; start-up does not look at the result.
    static bool play(CTelvane &window, const LoginResult &login, const Prepare &prepare = {});
};
