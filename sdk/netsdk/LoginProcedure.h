#pragma once
// The synchronous part of a login, run on the caller's thread: the P2P
// look-up for a cloud login, the connection (with the SDK's connect wait and
// tries) and the challenge-response exchange.

#include "FrameBuffer.h"
#include "Messages.h"
#include "TcpSocket.h"

#include <cstdint>
#include <string>

namespace netsdk {

struct LoginParams
{
    std::string address; // IP address or host; the serial for a cloud login
    std::uint16_t port = 0;
    std::string user;
    std::string password;
    int kind = 0;
    bool hasLoginCode = false;
    std::int32_t loginCode = 0;
    int waitMs = 0;
    int tries = 1;
    std::string p2pServer; // "host" or "host:port"
};

struct LoginOutcome
{
    TcpSocket socket;
    FrameBuffer buffer;
    std::uint32_t sessionId = 0;
    tvwire::LoginReply reply;
};

class LoginProcedure
{
public:
    // 0 when logged in; else a connect error, ErrTimeOut, a P2P error or the
    // recorder's refusal code.
    static int run(const LoginParams &params, LoginOutcome &outcome);
    // Splits "host:port"; a missing port gives defaultPort. False when the
    // text is empty or the port is not a number in 1..65535.
    static bool splitHostPort(const std::string &text, std::uint16_t defaultPort, std::string &host,
                              std::uint16_t &port);

private:
    static int lookUp(const LoginParams &params, std::string &host, std::uint16_t &port);
    static int attempt(const LoginParams &params, const std::string &host, std::uint16_t port,
                       LoginOutcome &outcome);
    static int handshake(const LoginParams &params, Clock::time_point deadline,
                         LoginOutcome &outcome);
};

} // namespace netsdk
