#pragma once
// Logins as a user makes them: the real libNetSDK, one after another, with
// the connect wait and tries the client's login dialog sets, and a logout
// right after each success. By address, or by cloud serial through the P2P
// service.
//
// Threads: the caller's; each login blocks it for at most wait x tries
// (twice that for a cloud login).

#include <QString>

#include <cstdint>
#include <vector>

class LoginProbe
{
public:
    struct Target
    {
        bool cloud = false;
        std::uint16_t port = 0; // the recorder's, or the P2P service's for a cloud login
        QString serial;         // for a cloud login
    };
    struct Result
    {
        int successes = 0;
        std::vector<double> successMs; // the time of each successful login
        std::vector<int> errors;       // the code of each failed one
    };

    // Binds libNetSDK (once per process) and initialises it.
    static bool prepare(QString &error);
    static Result run(const Target &target, int logins);
    // "-10009 x12, -10005 x1" for the log.
    static QString errorText(const std::vector<int> &errors);

private:
    static int loginOnce(const Target &target, int &code);
};
